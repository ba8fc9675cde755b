// Writing a file whole or not at all, and a full disk told in the system's own words, whether
// the disk fills up during a write or before it.
#include "files/WholeFile.h"
#include "support/DiskFull.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(WholeFile, ADiskThatFillsUpInTheWriteIsToldWithTheSystemsReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Show.frq"));
    QString error;
    ASSERT_TRUE(WriteWholeFile(path, "before", error));
    EXPECT_TRUE(error.isEmpty());
    {
        test::DiskFull full(100);
        EXPECT_FALSE(WriteWholeFile(path, QByteArray(300, 'x'), error));
    }
    EXPECT_EQ(error.toStdString(),
              QStringLiteral("%1 could not be written (%2); any previous file of that name is "
                             "unchanged.")
                  .arg(QDir::toNativeSeparators(path), test::DiskFull::Reason())
                  .toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "before");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Show.frq")})
        << "no temporary file left";
}

TEST(WholeFile, WriteAllGoesOnAfterAShortWriteAndTellsWhyItStopped) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("log.csv")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QString reason;
    {
        test::DiskFull full(100);
        EXPECT_FALSE(WriteAll(file, QByteArray(150, 'x'), reason));
    }
    EXPECT_EQ(reason.toStdString(), test::DiskFull::Reason().toStdString());
    EXPECT_EQ(file.size(), 100) << "the part the disk took stays";

    EXPECT_TRUE(WriteAll(file, "more", reason));
    EXPECT_TRUE(reason.isEmpty());
    EXPECT_EQ(file.size(), 104);

    // A disk already full refuses the first byte; the system's words are passed on.
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        GTEST_SKIP() << "no /dev/full here";
    }
    EXPECT_FALSE(WriteAll(full, "line\r\n", reason));
    EXPECT_EQ(reason.toStdString(), std::strerror(ENOSPC));
}

} // namespace
} // namespace k7
