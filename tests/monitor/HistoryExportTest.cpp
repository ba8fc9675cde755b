// The export of the meter history: a span of a simulated rack's run written to CSV holds exactly
// the meter answers the receivers sent in it, as the wire log of the same run shows them (time,
// slot, RF A, RF B, audio); the file appears whole in the data folder's "History" folder or not at
// all; a name never leads out of that folder.
#include "monitor/Monitor.h"
#include "support/DiskFull.h"
#include "support/StationRig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <tuple>

namespace k7::test {
namespace {

// One meter answer: the time on the station's clock (us), the slot and its three levels.
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

// A row of an export of four receivers: its local time and, per slot, the three levels or none.
struct Row {
    QDateTime time;
    std::map<int, std::array<int, 3>> levels;
};

Row RowOf(const QString& line) {
    const QStringList fields = line.split(QLatin1Char(','));
    Row row{QDateTime::fromString(fields.value(0), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), {}};
    for (int slot = 1; slot <= 4 && fields.size() == 13; ++slot) {
        const auto at = static_cast<qsizetype>(1 + (slot - 1) * 3);
        if (!fields[at].isEmpty()) {
            row.levels[slot] = {fields[at].toInt(), fields[at + 1].toInt(), fields[at + 2].toInt()};
        }
    }
    return row;
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
        const auto micros = static_cast<std::int64_t>(std::llround(f[0].toDouble() * 1000));
        const int slot = slotOfDevice.at(f[1].toInt());
        answers.emplace_back(micros, slot, f[4 + 3].toInt(nullptr, 16), f[4 + 4].toInt(nullptr, 16),
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
    ASSERT_TRUE(exporter.Start(name.path, from, to, ExportResolution::EveryAnswer));
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
        ASSERT_EQ(lines[i].count(QLatin1Char(',')), header.size() - 1) << lines[i].toStdString();
        const Row row = RowOf(lines[i]);
        ASSERT_TRUE(row.time.isValid()) << lines[i].toStdString();
        first = first.isValid() ? first : row.time;
        for (const auto& [slot, v] : row.levels) {
            written.emplace_back(first.msecsTo(row.time), slot, v[0], v[1], v[2]);
        }
    }
    std::vector<Answer> sent;
    for (const Answer& answer :
         WireAnswers(wireDir.filePath(QStringLiteral("wire.log")), SlotsOfDevices())) {
        const std::int64_t micros = std::get<0>(answer);
        if (micros >= from && micros <= to) {
            sent.push_back(answer);
        }
    }
    ASSERT_GT(sent.size(), 100u);
    // The file's times are in whole milliseconds of the local clock.
    const std::int64_t firstMs = std::get<0>(sent.front()) / 1000;
    for (Answer& answer : sent) {
        std::get<0>(answer) = std::get<0>(answer) / 1000 - firstMs;
    }
    EXPECT_EQ(written, sent);
    // The first row's time is the clock's time of that answer on the local clock.
    EXPECT_LE(std::llabs(monitor().WallOrigin().addMSecs(firstMs).msecsTo(first)), 1000);
    EXPECT_EQ(exporter.progress().rows, static_cast<std::size_t>(lines.size() - 1));
}

// At 1 s and 100 ms a row is an interval of the clock: each receiver's lowest RF of either
// antenna and highest audio of the answers it sent in it; the estimate shown beforehand is
// near the size written.
TEST_F(ExportRun, AResolutionKeepsTheLowestRfAndHighestAudioOfEachInterval) {
    HistoryExport& exporter = monitor().historyExport();
    const std::int64_t to = rig.clock.nowMicros() - 1'000'000;
    const std::int64_t from = to - 9'000'000;
    for (const auto& [resolution, stepMs] :
         {std::pair{ExportResolution::Second, 1000}, std::pair{ExportResolution::Tenth, 100},
          std::pair{ExportResolution::EveryAnswer, 0}}) {
        const QString path = exporter.CheckName(ResolutionText(resolution)).path;
        const std::int64_t estimate = exporter.EstimateBytes(from, to, resolution);
        // The local time at the clock's origin moves with the wall clock (the test's clock
        // stands still): the rows count from the one the export took at its start.
        ASSERT_TRUE(exporter.Start(path, from, to, resolution));
        const std::int64_t originMs = exporter.originMs();
        exporter.Finish();
        ASSERT_EQ(exporter.progress().state, ExportProgress::Done);
        const std::int64_t size = QFileInfo(path).size();
        EXPECT_NEAR(static_cast<double>(estimate), static_cast<double>(size), size * 0.1)
            << ResolutionText(resolution).toStdString();
        if (stepMs == 0) {
            continue;
        }
        // The expected rows from the answers kept (the wire log's times are rounded to the
        // millisecond, too coarse for the intervals' edges): interval start (ms of local
        // time) -> slot -> lowest RF A, lowest RF B, highest audio.
        const MeterHistory& history = monitor().history();
        std::map<std::int64_t, std::map<int, std::array<int, 3>>> expected;
        for (int slot = 1; slot <= 4; ++slot) {
            for (std::size_t i = history.LowerBound(slot, from);
                 i < history.LowerBound(slot, to + 1); ++i) {
                const HistorySample h = history.at(slot, i);
                const std::int64_t row = (originMs * 1000 + h.micros) / (stepMs * 1000) * stepMs;
                const auto [cell, fresh] =
                    expected[row].try_emplace(slot, std::array<int, 3>{h.rfA, h.rfB, h.audio});
                if (!fresh) {
                    auto& v = cell->second;
                    v = {std::min<int>(v[0], h.rfA), std::min<int>(v[1], h.rfB),
                         std::max<int>(v[2], h.audio)};
                }
            }
        }
        const QStringList lines = Lines(path);
        ASSERT_EQ(static_cast<std::size_t>(lines.size() - 1), expected.size());
        auto row = expected.begin();
        for (qsizetype i = 1; i < lines.size(); ++i, ++row) {
            const Row written = RowOf(lines[i]);
            EXPECT_EQ(written.time.toMSecsSinceEpoch(), row->first) << lines[i].toStdString();
            EXPECT_EQ(written.levels, row->second) << lines[i].toStdString();
        }
    }
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
    EXPECT_FALSE(
        exporter.Start(name.path, -50'000'000, -40'000'000, ExportResolution::EveryAnswer));
    EXPECT_EQ(exporter.progress().state, ExportProgress::Nothing);
    EXPECT_FALSE(QFile::exists(name.path));

    // A write that fails half way leaves the earlier export as it was.
    const std::int64_t now = rig.clock.nowMicros();
    ASSERT_TRUE(exporter.Start(name.path, now - 1'000'000, now, ExportResolution::Second));
    exporter.Finish();
    const QStringList before = Lines(name.path);
    ASSERT_GT(before.size(), 1);
    {
        DiskFull full;
        if (exporter.Start(name.path, now - 10'000'000, now, ExportResolution::Tenth)) {
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
