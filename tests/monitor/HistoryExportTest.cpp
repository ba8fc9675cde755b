// The export of the meter history: a span of a simulated rack's run written to CSV holds exactly
// the meter answers the receivers sent in it, as the wire log of the same run shows them (time,
// slot, RF A, RF B, audio); the file appears whole in the data folder's "History" folder or not at
// all; a name never leads out of that folder.
#include "monitor/Monitor.h"
#include "support/DiskFull.h"
#include "support/StationRig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace k7::test {
namespace {

// One meter answer: the time on the station's clock (ms), the slot and its three levels.
using Answer = std::tuple<std::int64_t, int, int, int, int>;

QStringList Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

// The meter answers of the wire log with their times, by the slot each device stands in.
std::vector<Answer> WireAnswers(const QString& wireLog, const std::map<int, int>& slotOfDevice) {
    std::vector<Answer> answers;
    QFile file(wireLog);
    file.open(QIODevice::ReadOnly);
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        // <ms> <device> RX <status> <bytes...>: a meter answer is "D" without the settings bit.
        if (f.size() != 18 || f[2] != "RX" || f[4 + 2] != "44" ||
            (f[4 + 8].toInt(nullptr, 16) & 1)) {
            continue;
        }
        const auto ms = static_cast<std::int64_t>(std::llround(f[0].toDouble()));
        const int slot = slotOfDevice.at(f[1].toInt());
        answers.emplace_back(ms, slot, f[4 + 3].toInt(nullptr, 16), f[4 + 4].toInt(nullptr, 16),
                             f[4 + 6].toInt(nullptr, 16));
    }
    return answers;
}

struct ExportRun : ::testing::Test {
    ExportRun() : rig(RackOf(4), {}, wireDir.filePath(QStringLiteral("wire.log"))) {
        EXPECT_TRUE(rig.station->Start());
        EXPECT_TRUE(rig.RunToMonitoring());
        rig.clock.advanceMs(20000);
    }
    Monitor& monitor() { return rig.station->core().monitor(); }
    std::map<int, int> SlotsOfDevices() {
        const DeviceTables& devices = rig.station->core().devices();
        const RackTables& rack = rig.station->core().rack();
        std::map<int, int> slotOf;
        for (int d = 0; d < devices.DeviceCount; ++d) {
            const auto i = static_cast<std::size_t>(d);
            slotOf[d] = rack.BankBase[static_cast<std::size_t>(devices.DeviceGroup[i])] +
                        devices.DeviceGroupPos[i];
        }
        return slotOf;
    }

    QTemporaryDir wireDir;
    StationRig rig;
};

TEST_F(ExportRun, TheSpanWrittenHoldsTheAnswersTheReceiversSentInIt) {
    HistoryExport& exporter = monitor().historyExport();
    const ExportName name = exporter.CheckName(QStringLiteral("after the show"));
    ASSERT_TRUE(name.ok()) << name.error.toStdString();
    EXPECT_EQ(name.path, exporter.folder() + QStringLiteral("/after the show.csv"));
    const std::int64_t to = rig.clock.nowMicros() - 2'345'678;
    const std::int64_t from = to - 7'000'000;
    ASSERT_TRUE(exporter.Start(name.path, from, to));
    EXPECT_FALSE(QFile::exists(name.path)) << "nothing shows before it is whole";
    rig.clock.advanceMs(100); // the slices run on the timer while metering goes on
    exporter.Finish();
    ASSERT_EQ(exporter.progress().state, ExportProgress::Done);

    const QStringList lines = Lines(name.path);
    ASSERT_GT(lines.size(), 1);
    const QStringList header = lines.front().split(QLatin1Char(','));
    ASSERT_EQ(header.size(), 1 + 4 * 3);
    EXPECT_EQ(header[0], QStringLiteral("time"));
    EXPECT_EQ(header[4], QStringLiteral("2 ") + monitor().nameOf(2) + QStringLiteral(" RF A"));
    EXPECT_EQ(header[12], QStringLiteral("4 ") + monitor().nameOf(4) + QStringLiteral(" audio"));

    // The file's answers, their times as offsets from the first row's.
    std::vector<Answer> written;
    QDateTime first;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), header.size()) << lines[i].toStdString();
        const QDateTime time =
            QDateTime::fromString(fields[0], QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        ASSERT_TRUE(time.isValid()) << fields[0].toStdString();
        first = first.isValid() ? first : time;
        for (int slot = 1; slot <= 4; ++slot) {
            const auto at = static_cast<qsizetype>(1 + (slot - 1) * 3);
            if (!fields[at].isEmpty()) {
                written.emplace_back(first.msecsTo(time), slot, fields[at].toInt(),
                                     fields[at + 1].toInt(), fields[at + 2].toInt());
            }
        }
    }
    std::vector<Answer> sent;
    for (const Answer& answer :
         WireAnswers(wireDir.filePath(QStringLiteral("wire.log")), SlotsOfDevices())) {
        const std::int64_t micros = std::get<0>(answer) * 1000;
        if (micros >= from && micros <= to) {
            sent.push_back(answer);
        }
    }
    ASSERT_GT(sent.size(), 100u);
    const std::int64_t firstMs = std::get<0>(sent.front());
    for (Answer& answer : sent) {
        std::get<0>(answer) -= firstMs;
    }
    EXPECT_EQ(written, sent);
    // The first row's time is the clock's time of that answer on the local clock.
    EXPECT_LE(std::llabs(monitor().WallOrigin().addMSecs(firstMs).msecsTo(first)), 1000);
    EXPECT_EQ(exporter.progress().rows, static_cast<std::size_t>(lines.size() - 1));
}

TEST_F(ExportRun, ANameStaysInTheFolderAndAFailedWriteLeavesTheOldFile) {
    HistoryExport& exporter = monitor().historyExport();
    for (const char* bad : {"../escape", "/tmp/x", "a\\b", "C:x", "", "  ", ".hidden"}) {
        const ExportName name = exporter.CheckName(QString::fromLatin1(bad));
        EXPECT_FALSE(name.ok()) << bad;
        EXPECT_FALSE(name.error.isEmpty()) << bad;
    }
    EXPECT_EQ(exporter.CheckName(QStringLiteral("Show.CSV")).path,
              exporter.folder() + QStringLiteral("/Show.CSV"));

    // A span with no answer writes nothing.
    const ExportName name = exporter.CheckName(QStringLiteral("kept"));
    EXPECT_FALSE(exporter.Start(name.path, -50'000'000, -40'000'000));
    EXPECT_EQ(exporter.progress().state, ExportProgress::Nothing);
    EXPECT_FALSE(QFile::exists(name.path));

    // A write that fails half way leaves the earlier export as it was.
    const std::int64_t now = rig.clock.nowMicros();
    ASSERT_TRUE(exporter.Start(name.path, now - 1'000'000, now));
    exporter.Finish();
    const QStringList before = Lines(name.path);
    ASSERT_GT(before.size(), 1);
    {
        DiskFull full;
        if (exporter.Start(name.path, now - 10'000'000, now)) {
            exporter.Finish();
        }
    }
    EXPECT_EQ(exporter.progress().state, ExportProgress::Failed);
    EXPECT_TRUE(exporter.progress().error.contains(QStringLiteral(": ") + DiskFull::Reason() +
                                                   QStringLiteral(". Nothing was changed")))
        << exporter.progress().error.toStdString();
    EXPECT_TRUE(exporter.progress().error.contains(QStringLiteral("export again")));
    EXPECT_EQ(Lines(name.path), before);
    EXPECT_EQ(QDir(exporter.folder()).entryList(QDir::Files).size(), 1) << "no half file left";
}

} // namespace
} // namespace k7::test
