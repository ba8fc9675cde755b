// k7station --coordinate: the CSV it prints, the lines it refuses, and the program answering
// it without any display.
#include "app/CoordinateCommand.h"
#include "bands/BandPlan.h"
#include "coordination/Intermodulation.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sstream>

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
    Answer run;
    run.code = RunCoordinateCommand(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The kHz of the rows, after checking every row's form and name.
std::vector<int> Rows(const std::string& csv) {
    std::vector<int> kHz;
    const QStringList lines =
        QString::fromStdString(csv).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), QStringLiteral("name,frequency,mute"));
    const QRegularExpression row(QStringLiteral(R"(^C(\d\d),(\d{3})\.(\d{3}),5$)"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto match = row.match(lines[i]);
        EXPECT_TRUE(match.hasMatch()) << lines[i].toStdString();
        EXPECT_EQ(match.captured(1).toInt(), i);
        kHz.push_back(match.captured(2).toInt() * 1000 + match.captured(3).toInt());
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
}

TEST(CoordinateCommand, WindowsOfZeroSwitchKindsOffAndOptionsTakeEitherForm) {
    const Answer run = Coordinate({"--coordinate", "36", "40", "--spacing=750", "--im3", "0",
                                   "--im3x3=0", "--im5", "0", "--seed", "3", "--iterations=20"});
    EXPECT_EQ(run.code, 0) << run.err;
    const std::vector<int> set = Rows(run.out);
    // 32 MHz hold 43 carriers 750 kHz apart; with the products off nothing else limits them.
    ASSERT_EQ(set.size(), 40u);
    EXPECT_TRUE(IsClean(set, CoordinationRules{750, 0, 0, 0}));
}

TEST(CoordinateCommand, FewerCarriersThanAskedAreSaidOnStandardError) {
    const Answer run = Coordinate({"--coordinate", "14", "99", "--iterations", "20"});
    EXPECT_EQ(run.code, 0);
    EXPECT_LT(Rows(run.out).size(), 99u);
    EXPECT_NE(run.err.find("carriers for band 14"), std::string::npos) << run.err;
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
    };
    for (const auto& [args, message] : cases) {
        const Answer run = Coordinate(args);
        EXPECT_EQ(run.code, 2) << message;
        EXPECT_EQ(run.out, "") << message;
        EXPECT_TRUE(run.err.starts_with("k7station: ")) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
}

TEST(CoordinateCommand, TheProgramAnswersWithoutADisplay) {
    QProcess station;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // A window system that cannot start here: the command must not need one.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    station.setProcessEnvironment(env);
    station.start(QStringLiteral(K7STATION_PATH),
                  {QStringLiteral("--coordinate"), QStringLiteral("12"), QStringLiteral("6"),
                   QStringLiteral("--iterations"), QStringLiteral("10")});
    ASSERT_TRUE(station.waitForFinished(60000));
    EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station.exitCode(), 0) << station.readAllStandardError().toStdString();
    EXPECT_EQ(Rows(station.readAllStandardOutput().toStdString()).size(), 6u);

    station.start(QStringLiteral(K7STATION_PATH),
                  {QStringLiteral("--coordinate"), QStringLiteral("99"), QStringLiteral("6")});
    ASSERT_TRUE(station.waitForFinished(60000));
    EXPECT_EQ(station.exitCode(), 2);
}

} // namespace
} // namespace k7
