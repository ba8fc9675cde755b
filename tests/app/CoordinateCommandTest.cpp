// k7station --coordinate: the CSV it prints, the lines it refuses, a set that cannot be written
// and a search ended by a signal (the program without a display: HeadlessRunTest).
#include "app/CoordinateCommand.h"
#include "bands/BandPlan.h"
#include "coordination/Intermodulation.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <thread>

namespace k7 {
namespace {

struct Answer {
    int code = -1;
    std::string out;
    std::string err;
};

Answer Coordinate(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunCoordinateCommand(args, out, err);
    return {code, out.str(), err.str()};
}

struct Csv {
    std::vector<std::pair<int, int>> rows; // row number, kHz
    std::vector<int> backups;              // kHz, in the order printed
};

// Every line's form: the header, then C rows, then B rows numbered from 1.
Csv Lines(const std::string& csv) {
    Csv read;
    const QStringList lines =
        QString::fromStdString(csv).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), QStringLiteral("name,frequency,mute"));
    const QRegularExpression row(QStringLiteral(R"(^([CB])(\d\d),(\d{3})\.(\d{3}),5$)"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto match = row.match(lines[i]);
        EXPECT_TRUE(match.hasMatch()) << lines[i].toStdString();
        const int kHz = match.captured(3).toInt() * 1000 + match.captured(4).toInt();
        if (match.captured(1) == QStringLiteral("C")) {
            EXPECT_TRUE(read.backups.empty()) << "backups come after the set";
            read.rows.emplace_back(match.captured(2).toInt(), kHz);
        } else {
            EXPECT_EQ(match.captured(2).toInt(), static_cast<int>(read.backups.size()) + 1);
            read.backups.push_back(kHz);
        }
    }
    return read;
}

// The kHz of the rows, after checking every row's form and that they are named C01, C02, ...
std::vector<int> Rows(const std::string& csv) {
    std::vector<int> kHz;
    for (const auto& [number, frequency] : Lines(csv).rows) {
        EXPECT_EQ(number, static_cast<int>(kHz.size()) + 1);
        kHz.push_back(frequency);
    }
    return kHz;
}

TEST(CoordinateCommand, PrintsACleanSetOfChannelsAsCsv) {
    const Answer run = Coordinate({"--coordinate", "34", "10", "--iterations", "50"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    const std::vector<int> set = Rows(run.out);
    ASSERT_EQ(set.size(), 10u);
    const BandPlan band = *BandPlan::ForBand(34);
    EXPECT_TRUE(std::ranges::all_of(set, [&](int kHz) { return band.IsChannel(kHz); }));
    EXPECT_TRUE(std::ranges::is_sorted(set));
    EXPECT_TRUE(IsClean(set, CoordinationRules{}));
    EXPECT_EQ(Coordinate({"--coordinate", "34", "10", "--iterations", "50"}).out, run.out);

    // Windows of zero switch their kinds off; options take either form.
    const Answer zero = Coordinate({"--coordinate", "36", "40", "--spacing=750", "--im3", "0",
                                    "--im3x3=0", "--im5", "0", "--seed", "3", "--iterations=20"});
    EXPECT_EQ(zero.code, 0) << zero.err;
    const std::vector<int> spaced = Rows(zero.out);
    // 32 MHz hold 43 carriers 750 kHz apart; with the products off nothing else limits them.
    ASSERT_EQ(spaced.size(), 40u);
    EXPECT_TRUE(IsClean(spaced, CoordinationRules{750, 0, 0, 0}));
}

TEST(CoordinateCommand, FewerCarriersThanAskedAreSaidOnStandardError) {
    const Answer run = Coordinate({"--coordinate", "14", "99", "--iterations", "20"});
    EXPECT_EQ(run.code, 0);
    EXPECT_LT(Rows(run.out).size(), 99u);
    EXPECT_NE(run.err.find("carriers for band 14"), std::string::npos) << run.err;
    // More than the windows let be clean anywhere in the span: said, so that nobody searches on.
    const Answer rack = Coordinate({"--coordinate", "34:20,36:20", "--iterations", "20"});
    EXPECT_NE(rack.err.find("k7station: no more than 39 carriers can be clean together between "
                            "606.000 and 666.000 MHz under these windows\n"),
              std::string::npos)
        << rack.err;
}

TEST(CoordinateCommand, WrongLinesEndWithAMessageAndCode2) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--coordinate", "37", "4"}, "band code 37 is not in the band table"},
        {{"--coordinate", "34"}, "takes a band code and a number of carriers"},
        {{"--coordinate", "34", "0"}, "COUNT takes 1 to 99"},
        {{"--coordinate", "34", "4x"}, "not 4x"},
        {{"--coordinate", "34", "4", "--im3", "-1"}, "--im3 takes a whole number"},
        {{"--coordinate", "34", "4", "--spacing", "3.5"}, "not 3.5"},
        {{"--coordinate", "34", "4", "--budget-ms", "5", "--iterations", "5"}, "exclude"},
        {{"--coordinate", "34", "4", "--iterations", "1000000000001"},
         "--iterations takes a whole number from 1 to 1000000000, not 1000000000001"},
        {{"--coordinate", "34", "4", "--seed"}, "--seed needs a value"},
        {{"--coordinate", "34", "4", "--im5", "1", "--im5", "2"}, "--im5 is given twice"},
        {{"--coordinate", "34", "4", "--simulate", "8"}, "unknown option --simulate"},
        {{"--coordinate", "34", "-1"}, "COUNT takes 1 to 99 carriers, not -1"},
        {{"--coordinate=34"}, "takes a band code and a number of carriers"},
        {{"--coordinate", "34:20,37:4"}, "band code 37 is not in the band table"},
        {{"--coordinate", "34:20,36:0"}, "COUNT takes 1 to 99 carriers, not 0"},
        {{"--coordinate", "34:60,36:60"}, "at most 99 carriers in all, not 120"},
        {{"--coordinate", "34:4", "36:4"}, "takes a band code and a number of carriers"},
        {{"--coordinate", "34", "4", "--fixed", "612.4,x"}, "--fixed takes frequencies in MHz"},
        {{"--coordinate", "34", "4", "--exclude", "607.5-606"}, "--exclude takes ranges"},
        {{"--coordinate", "34", "4", "--lock", "612.400"}, "612.400 is not a channel of band 34"},
        {{"--coordinate", "34", "4", "--lock", "640.010"}, "640.010 is not a channel of band 34"},
        {{"--coordinate", "34", "1", "--lock", "640.000,650.000"}, "more carriers of a band"},
        {{"--coordinate", "34", "4", "--lock", "640.000,640.000"}, "640.000 is given twice"},
        {{"--coordinate", "34", "4", "--backups", "100"}, "--backups takes a whole number"},
    };
    for (const auto& [args, message] : cases) {
        const Answer run = Coordinate(args);
        EXPECT_EQ(run.code, 2) << message;
        EXPECT_EQ(run.out, "") << message;
        EXPECT_TRUE(run.err.starts_with("k7station: ")) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
}

TEST(CoordinateCommand, ARackOfSeveralBandsPrintsItsRowsInTheOrderGiven) {
    // Band 36 first, then 34: rows C01-C03 are band 36's, C04-C08 band 34's.
    const Answer run = Coordinate({"--coordinate", "36:3,34:5", "--iterations", "60"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<int> set = Rows(run.out);
    ASSERT_EQ(set.size(), 8u);
    const BandPlan band36 = *BandPlan::ForBand(36);
    const BandPlan band34 = *BandPlan::ForBand(34);
    for (std::size_t i = 0; i < set.size(); ++i) {
        EXPECT_TRUE((i < 3 ? band36 : band34).IsChannel(set[i])) << "row " << i + 1;
    }
    EXPECT_TRUE(std::is_sorted(set.begin(), set.begin() + 3));
    EXPECT_TRUE(std::is_sorted(set.begin() + 3, set.end()));
    EXPECT_TRUE(IsClean(set, CoordinationRules{}));
    // One band in the new form prints as the old form does.
    EXPECT_EQ(Coordinate({"--coordinate", "34:10", "--iterations", "50"}).out,
              Coordinate({"--coordinate", "34", "10", "--iterations", "50"}).out);
    // Rows a band cannot fill are left out, keeping the others' numbers, and said.
    const Answer crowded = Coordinate({"--coordinate", "14:30,36:2", "--iterations", "30"});
    const Csv csv = Lines(crowded.out);
    ASSERT_FALSE(csv.rows.empty());
    EXPECT_EQ(csv.rows.back().first, 32);
    EXPECT_NE(crowded.err.find("carriers for bands 14 and 36 (band 14: "), std::string::npos)
        << crowded.err;
}

TEST(CoordinateCommand, FixedLockedExcludedAndBackupsShapeTheSet) {
    const Answer run =
        Coordinate({"--coordinate", "34", "12", "--iterations", "300", "--fixed", "640.000,641.000",
                    "--exclude", "650.000-655.000,660.000", "--lock", "645.500", "--backups", "3"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Csv csv = Lines(run.out);
    std::vector<int> set;
    for (const auto& [number, kHz] : csv.rows) {
        set.push_back(kHz);
        EXPECT_FALSE(kHz >= 650000 && kHz <= 655000) << kHz;
        EXPECT_NE(kHz, 660000);
    }
    ASSERT_EQ(set.size(), 12u);
    EXPECT_EQ(std::ranges::count(set, 645500), 1) << "the locked carrier stays";
    EXPECT_EQ(std::ranges::count(set, 640000) + std::ranges::count(set, 641000), 0)
        << "fixed carriers are not printed";
    std::vector<int> withFixed = set;
    withFixed.insert(withFixed.end(), {640000, 641000});
    EXPECT_TRUE(IsClean(withFixed, CoordinationRules{}));
    ASSERT_EQ(csv.backups.size(), 3u);
    for (const int backup : csv.backups) {
        std::vector<int> all = withFixed;
        all.push_back(backup);
        EXPECT_TRUE(IsClean(all, CoordinationRules{})) << backup;
    }
    // A full band leaves no clean channel for a backup, and says so.
    const Answer full =
        Coordinate({"--coordinate", "14", "99", "--iterations", "20", "--backups", "2"});
    EXPECT_NE(full.err.find("found 0 of 2 backups"), std::string::npos) << full.err;
}

// A set that cannot be written (a full disk, standard output closed) is never reported as
// written: the reason on standard error, exit code 1.
TEST(CoordinateCommand, ASetThatCannotBeWrittenEndsWithCode1) {
    std::ostringstream refused;
    refused.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(RunCoordinateCommand({"--coordinate", "12", "3", "--iterations", "10"}, refused, err),
              1);
    EXPECT_NE(err.str().find("could not be written to standard output"), std::string::npos)
        << err.str();
}

// The program itself: standard output on a full disk, and closed.
TEST(CoordinateCommandProgram, ASetThatCannotBeWrittenEndsWithCode1) {
    const QStringList search{QStringLiteral("--coordinate"), QStringLiteral("12"),
                             QStringLiteral("6"), QStringLiteral("--iterations"),
                             QStringLiteral("10")};
    QProcess station;
    station.setStandardOutputFile(QStringLiteral("/dev/full"));
    station.start(QStringLiteral(K7STATION_PATH), search);
    ASSERT_TRUE(station.waitForFinished(60000));
    EXPECT_EQ(station.exitCode(), 1);
    EXPECT_EQ(station.readAllStandardError().toStdString(),
              "k7station: the set could not be written to standard output (No space left on "
              "device)\n");

    QProcess closed;
    closed.start(QStringLiteral("/bin/sh"),
                 QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" >&-"),
                             QStringLiteral(K7STATION_PATH)} +
                     search);
    ASSERT_TRUE(closed.waitForFinished(60000));
    EXPECT_EQ(closed.exitCode(), 1);
    EXPECT_TRUE(closed.readAllStandardError().contains("could not be written"));
}

TEST(CoordinateCommandProgram, InterruptOrTerminateEndTheSearchWithTheBestSetSoFar) {
    for (const int signal : {SIGINT, SIGTERM}) {
        QProcess station;
        // More than band 10 holds, for a minute: only the signal ends it.
        station.start(QStringLiteral(K7STATION_PATH),
                      {QStringLiteral("--coordinate"), QStringLiteral("10"), QStringLiteral("99"),
                       QStringLiteral("--budget-ms"), QStringLiteral("60000")});
        ASSERT_TRUE(station.waitForStarted(10000));
        // Long enough for the program to reach the search on a loaded machine.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::kill(static_cast<pid_t>(station.processId()), signal);
        ASSERT_TRUE(station.waitForFinished(10000));
        EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(station.exitCode(), 128 + signal);
        const std::vector<int> set = Rows(station.readAllStandardOutput().toStdString());
        EXPECT_GE(set.size(), 20u);
        EXPECT_TRUE(IsClean(set, CoordinationRules{}));
        const QString err = QString::fromUtf8(station.readAllStandardError());
        EXPECT_TRUE(err.contains(signal == SIGINT ? QStringLiteral("stopped by SIGINT")
                                                  : QStringLiteral("stopped by SIGTERM")))
            << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("has %1 of 99 carriers").arg(set.size())))
            << err.toStdString();
    }
}

} // namespace
} // namespace k7
