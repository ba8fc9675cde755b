// The shell's smaller parts: the "LoadFile" setting, the trace and the recording prompter, the
// command line and the single-instance lock.
#include "app/CommandLine.h"
#include "app/RecordingPrompter.h"
#include "app/SingleInstance.h"
#include "app/StartupDialogController.h"
#include "app/Trace.h"
#include "files/LoadFileSetting.h"
#include "platform/SettingsStore.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompter.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace k7 {
namespace {

QString Read(QtSettingsStore& store, const QString& key) {
    return store.GetSetting(QStringLiteral("Settings"), key, QStringLiteral("<missing>"));
}

// A first start stores "False", "True" survives; a text that is no boolean reads false and stays.
TEST(LoadFileSetting, FirstStartStoresFalseAndTheStoredTextStays) {
    QTemporaryDir dir;
    QtSettingsStore store(dir.filePath(QStringLiteral("k7.conf")));
    EXPECT_FALSE(ReadLoadLastFile(store));
    EXPECT_EQ(Read(store, QStringLiteral("LoadFile")), QStringLiteral("False"));

    SaveLoadLastFile(store, true);
    QtSettingsStore reopened(dir.filePath(QStringLiteral("k7.conf")));
    EXPECT_EQ(Read(reopened, QStringLiteral("LoadFile")), QStringLiteral("True"));
    EXPECT_TRUE(ReadLoadLastFile(reopened));
    EXPECT_EQ(Read(reopened, QStringLiteral("LoadFile")), QStringLiteral("True"));

    store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"),
                      QStringLiteral("maybe"));
    EXPECT_FALSE(ReadLoadLastFile(store));
    EXPECT_EQ(Read(store, QStringLiteral("LoadFile")), QStringLiteral("maybe"));
    store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"), QStringLiteral("-1"));
    EXPECT_TRUE(ReadLoadLastFile(store)) << "a non-zero number is true";
}

std::vector<QJsonObject> ReadLines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QJsonObject> lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty()) {
            QJsonParseError error{};
            const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
            lines.push_back(doc.object());
        }
    }
    return lines;
}

TEST(Trace, UnattendedBoxesAnswerThemselvesAndEveryEventIsOneJsonLine) {
    QTemporaryDir dir;
    test::ManualClock clock;
    Trace trace(clock);
    ASSERT_TRUE(trace.open(dir.filePath(QStringLiteral("t.jsonl"))));
    test::ScriptedPrompter person;
    person.answers.push_back(MsgAnswer::No);
    RecordingPrompter unattended(&person, trace, true);

    clock.advanceMs(12.5);
    MessageBoxSpec box{QStringLiteral("First\r\nSecond\r\n"),
                       QStringLiteral("USB hardware detection"),
                       MsgIcon::Critical,
                       MsgButtons::YesNo,
                       1,
                       true};
    EXPECT_EQ(unattended.ShowMessage(box), MsgAnswer::No) << "the default button";
    EXPECT_TRUE(person.boxes.empty()) << "nobody is asked in an unattended run";
    MessageBoxSpec untitled;
    untitled.text = QStringLiteral("x");
    EXPECT_EQ(unattended.ShowMessage(untitled), MsgAnswer::OK);

    trace.Title(QStringLiteral("Caption"));
    StartupDialogState state;
    state.visible = true;
    trace.Dialog(state);
    trace.Dialog(state); // nothing changed: no line
    state.lblRxNo = QStringLiteral("2");
    trace.Dialog(state);
    trace.Timer(0, true, 120);
    trace.Exit(0);

    const auto lines = ReadLines(dir.filePath(QStringLiteral("t.jsonl")));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0][QStringLiteral("event")].toString(), QStringLiteral("message"));
    EXPECT_DOUBLE_EQ(lines[0][QStringLiteral("t")].toDouble(), 12.5);
    EXPECT_EQ(lines[0][QStringLiteral("text")].toString(), QStringLiteral("First\nSecond\n"));
    EXPECT_EQ(lines[0][QStringLiteral("icon")].toString(), QStringLiteral("critical"));
    EXPECT_EQ(lines[0][QStringLiteral("buttons")].toString(), QStringLiteral("YesNo"));
    EXPECT_EQ(lines[0][QStringLiteral("answer")].toString(), QStringLiteral("No"));
    EXPECT_FALSE(lines[1][QStringLiteral("title")].toString().isEmpty());
    EXPECT_EQ(lines[2][QStringLiteral("text")].toString(), QStringLiteral("Caption"));
    EXPECT_EQ(lines[3][QStringLiteral("state")].toString(), QStringLiteral("startup"));
    EXPECT_EQ(lines[4][QStringLiteral("lblRxNo")].toString(), QStringLiteral("2"));
    EXPECT_EQ(lines[5][QStringLiteral("interval")].toInt(), 120);
    EXPECT_EQ(lines[6][QStringLiteral("code")].toInt(), 0);

    // An attended run asks the person.
    person.answers = {MsgAnswer::Cancel};
    box.buttons = MsgButtons::OKCancel;
    EXPECT_EQ(RecordingPrompter(&person, trace, false).ShowMessage(box), MsgAnswer::Cancel);
    EXPECT_EQ(person.boxes.size(), 1u);
}

TEST(CommandLine, OptionsCombineAndWrongValuesAreRefused) {
    const auto ok = ParseCommandLine({"k7station", "--simulate", "rack.json", "--app-dir",
                                      "/tmp/st", "--run-for", "5", "--trace", "t.jsonl",
                                      "--wire-log", "w.log", "--snapshot", "p.png"});
    ASSERT_TRUE(ok.options.has_value()) << ok.error.toStdString();
    EXPECT_EQ(ok.options->scenarioFile, QStringLiteral("rack.json"));
    EXPECT_EQ(ok.options->simulatedCount, 0);
    EXPECT_DOUBLE_EQ(ok.options->runForSeconds, 5.0);
    EXPECT_EQ(ok.options->traceFile, QStringLiteral("t.jsonl"));
    EXPECT_EQ(ok.options->wireLog, QStringLiteral("w.log"));
    EXPECT_EQ(ok.options->appDir, QStringLiteral("/tmp/st"));
    EXPECT_EQ(ok.options->snapshot, QStringLiteral("p.png"));
    EXPECT_FALSE(ok.options->arrangement) << "the remembered arrangement serves";
    EXPECT_EQ(ParseCommandLine({"k7station", "--arrangement", "wide"}).options->arrangement,
              PanelArrangement::Wide);
    EXPECT_EQ(ParseCommandLine({"k7station", "--arrangement", "native"}).options->arrangement,
              PanelArrangement::Native);

    const auto count = ParseCommandLine({"k7station", "--simulate", "8"});
    ASSERT_TRUE(count.options.has_value());
    EXPECT_EQ(count.options->simulatedCount, 8);
    EXPECT_TRUE(count.options->simulated());
    EXPECT_FALSE(ParseCommandLine({"k7station"}).options->simulated());

    // What the stop timer cannot hold too: not a number, past its range, or no time at all.
    for (const char* bad :
         {"--simulate 0", "--simulate 41", "--run-for soon", "--bogus", "--run-for nan",
          "--run-for inf", "--run-for 1e308", "--run-for 2147484", "--run-for 0",
          "--snapshot p.png", "extra", "--arrangement narrow", "--arrangement"}) {
        const auto result =
            ParseCommandLine(QStringList{"k7station"} + QString::fromLatin1(bad).split(' '));
        EXPECT_FALSE(result.options.has_value()) << bad;
        EXPECT_FALSE(result.error.isEmpty()) << bad;
    }
    EXPECT_FALSE(ParseCommandLine({"k7station", "--help"}).information.isEmpty());
}

TEST(SingleInstance, SecondHolderIsRefusedAndADeadOwnersLockIsTakenOver) {
    QTemporaryDir dir;
    {
        SingleInstance first(dir.path());
        SingleInstance second(dir.path());
        EXPECT_TRUE(first.TryAcquire());
        EXPECT_FALSE(second.TryAcquire());
    }
    // A lock left by a process that no longer runs (a crash) does not block the next start.
    QFile stale(dir.filePath(QStringLiteral("k7station.lock")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999\nk7station\n\n");
    stale.close();
    SingleInstance next(dir.path());
    EXPECT_TRUE(next.TryAcquire());
}

} // namespace
} // namespace k7
