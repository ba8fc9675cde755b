// The event log's file: one CSV file a day, a header once, one whole line per write, fields a
// spreadsheet reads as they were written (never as formulas); a line cut short by a crash never
// spoils the next one; a log that cannot be written is told once, and its lines go out once it can
// be written again.
#include "monitor/EventLog.h"
#include "CsvLines.h"
#include "support/DiskFull.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k7::test {
namespace {

class EventLogTest : public ::testing::Test {
protected:
    EventLogTest() {
        log.SetFailureListener([this](const QString& file, const QString& reason) {
            failures.push_back(file + QStringLiteral(": ") + reason);
        });
    }
    // A day's file as an earlier run left it.
    void WriteEarlier(const QByteArray& bytes) const {
        QDir().mkpath(folder());
        QFile earlier(fileOf("2024-05-03"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write(bytes);
    }
    // A file where the log's folder should be.
    void BlockFolder() const {
        QDir().mkpath(dir.filePath(QStringLiteral("USB Files")));
        QFile blocker(folder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    QString folder() const { return dir.filePath(QStringLiteral("USB Files/Logs")); }
    QString fileOf(const char* date) const {
        return folder() + QLatin1Char('/') + QLatin1String(date) + QStringLiteral(".csv");
    }
    QByteArray bytesOf(const char* date) const {
        QFile file(fileOf(date));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QDateTime now{QDate(2024, 5, 3), QTime(21, 15, 2, 45)};
    EventLog log{folder(), [this] { return now; }};
    std::vector<QString> failures;
};

TEST_F(EventLogTest, LinesCarryTimeSlotNameEventAndDetailUnderOneHeader) {
    log.Write(3, QStringLiteral("VOX_1_"), QStringLiteral("rf-lost start"),
              QStringLiteral("RF A 0, B 0 under the mute threshold"));
    now = now.addMSecs(1500);
    log.Write(0, QStringLiteral("ignored"), QStringLiteral("stopped"),
              QStringLiteral("orderly stop"));
    EXPECT_EQ(bytesOf("2024-05-03"),
              QByteArray("time,slot,receiver,event,detail\r\n"
                         "2024-05-03 21:15:02.045,3,VOX_1_,rf-lost start,"
                         "\"RF A 0, B 0 under the mute threshold\"\r\n"
                         "2024-05-03 21:15:03.545,,,stopped,orderly stop\r\n"));
}

TEST_F(EventLogTest, FieldsReadBackAsWrittenAndNeverAsFormulas) {
    const QString awkward = QStringLiteral("say \"hi\", then\r\nleave");
    log.Write(1, QStringLiteral("=1+2"), QStringLiteral("name"), awkward);
    log.Write(2, QStringLiteral("-VOX-"), QStringLiteral("name"), QStringLiteral("@cmd"));
    const auto rows = CsvRows(fileOf("2024-05-03"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][2], QStringLiteral("'=1+2"));
    EXPECT_EQ(rows[1][4], QStringLiteral("say \"hi\", then leave")) << "one event, one line";
    EXPECT_EQ(rows[2][2], QStringLiteral("'-VOX-"));
    EXPECT_EQ(rows[2][4], QStringLiteral("'@cmd"));
}

TEST_F(EventLogTest, AnExistingFileIsAppendedToAndALineCutShortStaysAlone) {
    WriteEarlier("time,slot,receiver,event,detail\r\n"
                 "2024-05-03 20:00:00.000,1,VOX_1_,battery start,voltage 100\r\n"
                 "2024-05-03 20:00:01.000,1,VOX_1_,batt");
    log.Write(2, QStringLiteral("GTR_2_"), QStringLiteral("user-mute"),
              QStringLiteral("off -> on"));
    const auto rows = CsvRows(fileOf("2024-05-03"));
    ASSERT_EQ(rows.size(), 4u) << "no second header; the cut line keeps a line of its own";
    EXPECT_EQ(rows[1][3], QStringLiteral("battery start"));
    EXPECT_EQ(rows[2], QStringList({QStringLiteral("2024-05-03 20:00:01.000"), QStringLiteral("1"),
                                    QStringLiteral("VOX_1_"), QStringLiteral("batt")}));
    EXPECT_EQ(rows[3][3], QStringLiteral("user-mute"));
}

TEST_F(EventLogTest, ALineCutInsideAQuoteStaysOneRecordAndLaterOnesReadWhole) {
    WriteEarlier("time,slot,receiver,event,detail\r\n"
                 "2024-05-03 20:00:01.000,3,BAS_3_,rf-lost start,\"RF A 0, B 0 und");
    log.Write(2, QStringLiteral("GTR_2_"), QStringLiteral("name"), QStringLiteral("GTR -> \"A\""));
    log.Write(0, {}, QStringLiteral("stopped"), {});
    const auto records = CsvRows(fileOf("2024-05-03"));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1][4], QStringLiteral("RF A 0, B 0 und")) << "the cut record, alone";
    for (std::size_t i = 2; i < records.size(); ++i) {
        EXPECT_EQ(records[i].size(), 5) << i;
    }
    EXPECT_EQ(records[2][4], QStringLiteral("GTR -> \"A\""));
}

TEST_F(EventLogTest, EachDayHasAFileOfItsOwn) {
    now = QDateTime(QDate(2024, 5, 3), QTime(23, 59, 59, 900));
    log.Write(1, QStringLiteral("VOX_1_"), QStringLiteral("battery start"), {});
    now = now.addMSecs(200);
    log.Write(1, QStringLiteral("VOX_1_"), QStringLiteral("battery end"), {});
    EXPECT_EQ(CsvRows(fileOf("2024-05-03")).size(), 2u);
    const auto next = CsvRows(fileOf("2024-05-04"));
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0][0], QStringLiteral("time"));
    EXPECT_EQ(next[1][0], QStringLiteral("2024-05-04 00:00:00.100"));
}

TEST_F(EventLogTest, ALogThatCannotBeWrittenIsToldOnceAndCatchesUpLater) {
    BlockFolder();
    for (int i = 1; i <= 3; ++i) {
        log.Write(i, QStringLiteral("RX"), QStringLiteral("battery start"), QString::number(i));
    }
    EXPECT_EQ(failures.size(), 1u);
    EXPECT_EQ(log.waiting(), 3u);

    ASSERT_TRUE(QFile::remove(folder()));
    log.Write(4, QStringLiteral("RX"), QStringLiteral("battery start"), QStringLiteral("4"));
    const auto rows = CsvRows(fileOf("2024-05-03"));
    ASSERT_EQ(rows.size(), 5u);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(rows[static_cast<std::size_t>(i)][4], QString::number(i)) << "in their order";
    }
    EXPECT_EQ(log.waiting(), 0u);
    EXPECT_EQ(failures.size(), 1u);
}

TEST_F(EventLogTest, ADiskThatFillsUpInALineIsToldWithTheSystemsReason) {
    log.Write(1, QStringLiteral("RX"), QStringLiteral("battery start"), QStringLiteral("1"));
    const QByteArray before = bytesOf("2024-05-03");
    const QString detail = QStringLiteral("a detail that runs past the end of the disk");
    {
        DiskFull full(100);
        log.Write(2, QStringLiteral("RX"), QStringLiteral("battery start"), detail);
    }
    EXPECT_EQ(bytesOf("2024-05-03"), before) << "no fragment of the line is left";
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(
        failures[0].toStdString(),
        (QDir::toNativeSeparators(fileOf("2024-05-03")) + ": " + DiskFull::Reason()).toStdString());
    EXPECT_EQ(log.waiting(), 1u);

    log.Write(3, QStringLiteral("RX"), QStringLiteral("battery end"), QStringLiteral("3"));
    const auto rows = CsvRows(fileOf("2024-05-03"));
    ASSERT_EQ(rows.size(), 4u) << "header, line 1, line 2 whole, line 3";
    EXPECT_EQ(rows[2][4], detail);
    EXPECT_EQ(rows[3][4], QStringLiteral("3"));
}

TEST_F(EventLogTest, LinesBeyondTheWaitingRoomAreCountedInTheLog) {
    BlockFolder();
    const std::size_t extra = 5;
    for (std::size_t i = 0; i < EventLog::kWaitingLines + extra; ++i) {
        log.Write(1, QStringLiteral("RX"), QStringLiteral("rf-lost start"), QString::number(i));
    }
    EXPECT_EQ(log.waiting(), EventLog::kWaitingLines);
    EXPECT_EQ(log.lost(), extra);

    ASSERT_TRUE(QFile::remove(folder()));
    log.Write(1, QStringLiteral("RX"), QStringLiteral("rf-lost end"), QStringLiteral("last"));
    const auto rows = CsvRows(fileOf("2024-05-03"));
    ASSERT_EQ(rows.size(), 1 + 1 + (EventLog::kWaitingLines - 1) + 1);
    EXPECT_EQ(rows[1][3], QStringLiteral("log-gap"));
    EXPECT_TRUE(rows[1][4].startsWith(QStringLiteral("6 earlier lines were lost")))
        << rows[1][4].toStdString();
    EXPECT_EQ(rows[2][4], QString::number(extra + 1)) << "the oldest lines went first";
    EXPECT_EQ(rows.back()[4], QStringLiteral("last"));
}

} // namespace
} // namespace k7::test
