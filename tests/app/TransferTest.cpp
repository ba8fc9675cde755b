// File > Dowload file to Rx and Upload file from Rx on the whole station over the simulated
// rack: the receiver's store, the status texts, refusals, every error stop, a round trip.
#include "../monitor/CsvLines.h"
#include "support/StationRig.h"

#include <QDir>

#include <gtest/gtest.h>

namespace k7 {
namespace {

sim::PresetEntry Preset(const char* name, const char* frequency, std::uint8_t muteByte) {
    sim::PresetEntry entry;
    std::copy_n(name, 6, entry.name.begin());
    entry.frequency = *sim::FrequencyBytes(QLatin1String(frequency));
    entry.muteByte = muteByte;
    return entry;
}

// Entries "Perf_1", "Ab", "Sax___" at 610.025, 610.050, 610.075 (band 36), mute 5, 3, 7;
// band/type "0", "64", "128".
FrqDocument ShowDocument() {
    FrqDocument document;
    document.EntryCount = 3;
    for (int i = 1; i <= kFileEntries; ++i) {
        document.Entries[static_cast<std::size_t>(i)] =
            SettingsRow{QStringLiteral("User%1").arg(i), QString::number(610.0 + i * 0.025, 'f', 3),
                        QStringLiteral("5"), QStringLiteral("0")};
    }
    document.Entries[1] = {"Perf_1", "610.025", "5", "0"};
    document.Entries[2] = {"Ab", "610.050", "3", "64"};
    document.Entries[3] = {"Sax___", "610.075", "7", "128"};
    return document;
}

sim::Scenario Rack() {
    sim::Scenario scenario = test::RackOf(3);
    scenario.receivers[0].presets = {Preset("VOX 1 ", "606.600", 0x45),
                                     Preset("GTR_2_", "612.300", 0x83)};
    return scenario;
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(station.Start());
        ASSERT_TRUE(rig.RunToMonitoring());
        ASSERT_TRUE(station.core().frq().WriteFile("Show.frq", ShowDocument()));
    }
    QString path(const QString& name) const {
        return QDir(station.core().frq().dataFolder()).filePath(name);
    }
    // Slot s's device: its enumeration index, which is its receiver's place in the scenario.
    int device(int slot) { return station.core().devices().SlotDevice[slot]; }
    sim::SimulatedReceiver& rx(int slot) { return rig.simRack.receiver(device(slot)); }
    void chooseReceiver(int slot) { editor.SelectReceiver(slot - 1); }
    void openForDownload(const QString& name) {
        rig.chooser.choices = {path(name)};
        station.window().MenuFileCommand(FileCommand::Transfer);
    }
    void openForUpload() { station.window().MenuFileCommand(FileCommand::Upload); }
    QString status() const { return editor.state().lblStatus; }
    bool polling() const { return rig.Polling(); }
    // The wire log's lines of a device (without the time).
    QStringList wire(int slot) {
        QFile file(wireLog);
        file.open(QIODevice::ReadOnly);
        QStringList lines;
        const QString dev = QString::number(device(slot));
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromLatin1(raw);
            const QString rest = line.section(' ', 1);
            if (rest.startsWith(dev + ' ')) {
                lines << rest.section(' ', 1);
            }
        }
        return lines;
    }
    QStringList wireSince(int slot, qsizetype from) { return wire(slot).mid(from); }
    // The device is back at the polling settings.
    bool backAtPolling(int slot) {
        const auto* line = rig.simRack.settings(device(slot));
        return line && line->readTimeoutMs == 4 && line->writeTimeoutMs == 0 &&
               line->latencyMs == 4;
    }
    // After the editor closes, slot 1 is metered at its normal rate again.
    void expectMeteringGoesOn(int slot) {
        editor.Finish();
        ASSERT_TRUE(polling());
        const int before = rx(slot).meterAnswers();
        rig.clock.advanceMs(2000);
        const int answers = rx(slot).meterAnswers() - before;
        // Three receivers polled every PollInterval: each answers about a third of the ticks.
        const int expected = 2000 / std::max<int>(station.core().devices().PollInterval, 1) / 3;
        EXPECT_GE(answers, expected * 8 / 10) << "of about " << expected;
    }
    QTemporaryDir logs;
    QString wireLog = logs.filePath("wire.log");
    test::StationRig rig{Rack(), {}, wireLog};
    Station& station = *rig.station;
    FrequencyEditor& editor = station.core().editor();
};

TEST_F(TransferTest, DownloadOpensTheFileReadOnlyAndWritesOneBlockIntoTheStore) {
    openForDownload("Show.frq");
    const FileDialogSpec& dialog = rig.chooser.dialogs.at(0);
    EXPECT_EQ(dialog.title, "Transfer an K7 series frequency file");
    EXPECT_EQ(dialog.folder, station.core().frq().dataFolder());
    ASSERT_TRUE(editor.state().visible);
    EXPECT_EQ(editor.state().caption, "Veltora frequency File: Show.frq");
    EXPECT_EQ(editor.mode(), EditorMode::Transfer);
    const ControlStates& c = editor.state().controls;
    for (EditorControl off :
         {EditorControl::txtName, EditorControl::txtFreq, EditorControl::txtMute,
          EditorControl::cmdUpdate, EditorControl::cmdInsert, EditorControl::cmdDelete,
          EditorControl::cmdUpload}) {
        EXPECT_FALSE(c[off].enabled) << static_cast<int>(off);
    }
    EXPECT_FALSE(c[EditorControl::cmdAdd].visible);
    EXPECT_TRUE(c[EditorControl::cmdDownload].visible && c[EditorControl::cmdDownload].enabled);
    EXPECT_TRUE(c[EditorControl::cmdUpload].visible);
    EXPECT_TRUE(c[EditorControl::cmbRxs].visible && c[EditorControl::Label3].visible);
    EXPECT_FALSE(polling());

    chooseReceiver(2);
    const qsizetype before = wire(2).size();
    station.core().settings().SetMuteHighBit(2, true);
    editor.cmdDownload();
    EXPECT_EQ(status(), "3 Frequencies written");
    EXPECT_FALSE(station.core().rack().MuteHighBit[2]);

    // The block's bytes: TransferBlockTest; here what the receiver's store holds after it.
    const auto frames = rx(2).framesOf('S');
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].accepted);
    EXPECT_EQ(rx(2).presetCount(), 3);
    EXPECT_EQ(QByteArray(rx(2).presets()[1].name.data(), 6), "Ab____"); // as the reader fills it
    EXPECT_EQ(rx(2).presets()[1].muteByte, 3 + 64);
    EXPECT_EQ(rx(2).presets()[2].muteByte, 7 + 128);
    const QStringList sent = wireSince(2, before);
    ASSERT_EQ(sent.size(), 1) << sent.join('\n').toStdString();
    EXPECT_TRUE(sent[0].startsWith("TX 0 52 53 01 55 03 50 65")) << sent[0].toStdString();
    EXPECT_EQ(rx(1).countOf('S'), 0);
    EXPECT_EQ(rig.TracedTexts("status").last(), "3 Frequencies written");

    // As after an upload, the device's next query is preceded by a purge.
    editor.Finish();
    const qsizetype closed = wire(2).size();
    ASSERT_TRUE(rig.clock.runUntil([&] { return wire(2).size() > closed + 1; }, 1000));
    EXPECT_EQ(wireSince(2, closed).first(), "PURGE 0");
}

TEST_F(TransferTest, ADownloadThatCannotGoAsItStandsSendsNothing) {
    const struct {
        int count;
        int band; // of receiver 2, the one chosen
        const char* status;
    } cases[] = {
        // In slot 1's band, which the file was read with, but not in receiver 2's.
        {3, 33, "Entry 1: 610.025 is outside the band"},
        {0, 36, "No entries to send"},
    };
    for (const auto& c : cases) {
        station.core().devices().SlotBand[2] = c.band;
        FrqDocument document = ShowDocument();
        document.EntryCount = c.count;
        ASSERT_TRUE(station.core().frq().WriteFile("Odd.frq", document));
        rig.prompter.boxes.clear();
        openForDownload("Odd.frq");
        ASSERT_TRUE(editor.state().visible) << c.status;
        chooseReceiver(2);
        const qsizetype before = wire(2).size();
        editor.cmdDownload();
        EXPECT_TRUE(status().startsWith(c.status)) << status().toStdString();
        EXPECT_TRUE(wireSince(2, before).isEmpty());
        EXPECT_EQ(rx(2).countOf('S'), 0) << c.status;
        editor.Finish();
        EXPECT_TRUE(polling());
    }
}

TEST_F(TransferTest, ACancelledOrFailedFileChoiceRestartsPollingAndLeavesTheEditorClosed) {
    rig.chooser.choices = {QString()};
    station.window().MenuFileCommand(FileCommand::Transfer);
    EXPECT_FALSE(editor.state().visible);
    EXPECT_TRUE(polling());

    QFile broken(path("Broken.frq"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("Broken\r\n");
    broken.close();
    openForDownload("Broken.frq");
    EXPECT_FALSE(editor.state().visible);
    EXPECT_TRUE(polling());
    ASSERT_EQ(rig.prompter.boxes.size(), 1u); // the reader's own
    EXPECT_TRUE(rig.prompter.boxes[0].text.startsWith("An error occurred reading the file"));
}

TEST_F(TransferTest, UploadFillsTheReceiversEntriesAndTheBandsPlaceholders) {
    openForUpload();
    ASSERT_TRUE(editor.state().visible);
    EXPECT_EQ(editor.state().caption, "Veltora frequency File: ");
    EXPECT_EQ(editor.mode(), EditorMode::Upload);
    EXPECT_TRUE(editor.document().EditFile.isEmpty());
    const ControlStates& c = editor.state().controls;
    EXPECT_TRUE(c[EditorControl::cmdUpload].enabled);
    EXPECT_FALSE(c[EditorControl::cmdDownload].enabled);
    EXPECT_TRUE(editor.state().rows.empty());
    EXPECT_FALSE(polling());

    const qsizetype before = wire(1).size();
    editor.cmdUpload();
    EXPECT_EQ(status(), "Data Received");
    const EditorDocument& d = editor.document();
    EXPECT_EQ(d.EntryCount, 2);
    EXPECT_EQ(d.EditData[1], (SettingsRow{"VOX_1_", "606.600", "5", "64"}));
    EXPECT_EQ(d.EditData[2], (SettingsRow{"GTR_2_", "612.300", "3", "128"}));
    EXPECT_EQ(d.EditData[40], (SettingsRow{"User40", "637.975", "5", "0"})); // the band's
    EXPECT_EQ(editor.state().rows.size(), 2u);
    EXPECT_TRUE(editor.state().mnuFileEnabled);
    EXPECT_TRUE(c[EditorControl::cmdDownload].enabled);
    EXPECT_EQ(editor.state().focus, EditorFocus::Finish);

    const QStringList lines = wireSince(1, before);
    ASSERT_EQ(lines.size(), 7) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "PURGE 0");
    EXPECT_EQ(lines[1], "TX 0 52 55");
    EXPECT_EQ(lines[2], "CONFIG 0 timeouts 1000 0");
    EXPECT_EQ(lines[3], "CONFIG 0 latency 16");
    EXPECT_TRUE(lines[4].startsWith("RX 0 52 55 02 56 4F 58 20 31 20 3C 42 00 45"))
        << lines[4].toStdString();
    EXPECT_EQ(lines[4].count(' '), 2 + 404 - 1);
    EXPECT_TRUE(backAtPolling(1));
    EXPECT_EQ(rig.TracedTexts("status").mid(rig.TracedTexts("status").indexOf("Written 2  ")),
              (QStringList{"Written 2  ", "Data Received"}));

    // The next query of the device is preceded by a purge: nothing of the transfer is read as
    // a meter answer.
    editor.Finish();
    const qsizetype closed = wire(1).size();
    ASSERT_TRUE(rig.clock.runUntil([&] { return wire(1).size() > closed + 1; }, 1000));
    EXPECT_EQ(wireSince(1, closed).first(), "PURGE 0");

    // The placeholders follow the band of the receiver uploaded from.
    station.core().devices().SlotBand[2] = 33;
    openForUpload();
    chooseReceiver(2);
    editor.cmdUpload();
    ASSERT_EQ(status(), "Data Received");
    EXPECT_EQ(editor.document().EditData[1].Frequency, "751.525");
}

// A set shown under "Rx:" is that receiver's: after a good upload from one receiver, a failed
// one from another empties the grid, and neither Save nor Send can pass the first set off as
// the second's until an upload succeeds.
TEST_F(TransferTest, EveryFailedUploadEmptiesTheGridAndSetsTheDeviceBackForMetering) {
    struct Case {
        const char* name;
        std::function<void(sim::FaultSwitches&)> fault;
        const char* status;
        double atLeastMs;
    };
    const Case cases[] = {
        {"checksum", [](sim::FaultSwitches& f) { f.uploadChecksumError = true; },
         "Upload error.. 404 ", 0},
        {"silent", [](sim::FaultSwitches& f) { f.silent = true; }, "USB Read timed out", 1000},
        {"count", [](sim::FaultSwitches& f) { f.uploadCount = 41; },
         "Upload refused: the Rx reports 41 entries", 0},
        {"purge", [](sim::FaultSwitches& f) { f.purgeError = true; }, "Purge Error", 0},
        {"timeout", [](sim::FaultSwitches& f) { f.refuseReadTimeoutMs = 1000; },
         "Set timeout Error", 0},
        {"latency", [](sim::FaultSwitches& f) { f.refuseLatencyMs = 16; }, "Set latency Error", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openForUpload();
        chooseReceiver(2);
        editor.cmdUpload(); // a good upload first: the grid holds receiver 2's set
        ASSERT_EQ(status(), "Data Received");
        ASSERT_FALSE(editor.state().rows.empty());
        ASSERT_TRUE(editor.state().mnuFileEnabled);
        chooseReceiver(1);
        c.fault(rx(1).faults());
        const double start = rig.clock.nowMs();
        editor.cmdUpload();
        EXPECT_TRUE(status().startsWith(c.status)) << status().toStdString();
        EXPECT_GE(rig.clock.nowMs() - start, c.atLeastMs);
        EXPECT_LT(rig.clock.nowMs() - start, c.atLeastMs + 200);
        EXPECT_TRUE(editor.state().rows.empty());
        EXPECT_EQ(editor.document().EntryCount, 0);
        EXPECT_FALSE(editor.state().mnuFileEnabled);
        EXPECT_FALSE(editor.state().controls[EditorControl::cmdDownload].enabled);
        EXPECT_TRUE(editor.state().controls[EditorControl::cmdUpload].enabled);
        EXPECT_TRUE(backAtPolling(1));
        if (std::string(c.name) == "silent") {
            EXPECT_EQ(rig.TracedTexts("status").mid(rig.TracedTexts("status").size() - 3),
                      (QStringList{"Written 2  ", "Read status = 0  0", "USB Read timed out"}));
        }
        rx(1).faults() = {};
        editor.cmdUpload(); // the fault gone: a good upload gives Save and Send back
        EXPECT_EQ(status(), "Data Received");
        EXPECT_TRUE(editor.state().mnuFileEnabled);
        EXPECT_TRUE(editor.state().controls[EditorControl::cmdDownload].enabled);
        expectMeteringGoesOn(1);
    }
}

TEST_F(TransferTest, ASetSentToAReceiverAndFetchedBackSavesAsTheSameEntries) {
    openForDownload("Show.frq");
    editor.cmdDownload();
    ASSERT_EQ(status(), "3 Frequencies written");
    editor.Finish();
    openForUpload();
    editor.cmdUpload();
    ASSERT_EQ(status(), "Data Received");
    rig.chooser.choices = {path("Back.frq")};
    editor.mnuSave(); // the editor as a save leaves it: EditorSaveTest
    ASSERT_EQ(editor.document().EditFile, "Back.frq");

    const EditorDocument original = rig.ReadEditorFile("Show.frq");
    const EditorDocument back = rig.ReadEditorFile("Back.frq");
    ASSERT_EQ(back.EntryCount, original.EntryCount);
    for (int e = 1; e <= original.EntryCount; ++e) {
        EXPECT_EQ(back.EditData[e], original.EditData[e]) << e;
    }
    EXPECT_EQ(back.EditData[2].Name, "Ab____");
    EXPECT_EQ(back.EditData[3].BandType, "128");

    // Both transfers are in the event log, with the receiver.
    QStringList rows;
    const QDir eventLogs(station.core().frq().dataFolder() + "/Logs");
    for (const QString& file : eventLogs.entryList({"*.csv"}, QDir::Files, QDir::Name)) {
        for (const QStringList& row : test::CsvRows(eventLogs.filePath(file))) {
            if (row.size() == 5 && (row[3] == "download" || row[3] == "upload")) {
                rows << row.mid(1).join('|');
            }
        }
    }
    const QString name = station.core().rack().CurData[1].Name;
    EXPECT_EQ(rows, (QStringList{"1|" + name +
                                     "|download|3 entries of Show.frq into the receiver's store",
                                 "1|" + name + "|upload|3 entries from the receiver's store"}));
}

TEST_F(TransferTest, SavingMoreThan24UploadedEntriesSaysAFileKeeps24) {
    sim::Scenario scenario = Rack();
    scenario.receivers[0].presets.assign(30, Preset("MIC___", "610.000", 5));
    for (std::size_t e = 0; e < 30; ++e) {
        scenario.receivers[0].presets[e].frequency[2] = static_cast<std::uint8_t>(e);
    }
    const auto many = std::make_unique<test::StationRig>(scenario);
    ASSERT_TRUE(many->station->Start() && many->RunToMonitoring());
    FrequencyEditor& manyEditor = many->station->core().editor();
    many->station->window().MenuFileCommand(FileCommand::Upload);
    manyEditor.cmdUpload();
    ASSERT_EQ(manyEditor.state().lblStatus, "Data Received");
    EXPECT_EQ(manyEditor.document().EntryCount, 30);
    many->chooser.choices = {QDir(many->station->core().frq().dataFolder()).filePath("Many.frq")};
    manyEditor.mnuSave();
    EXPECT_EQ(manyEditor.document().EntryCount, 24);
    EXPECT_EQ(manyEditor.state().rows.size(), 24u);
    EXPECT_EQ(manyEditor.state().lblStatus,
              "Many.frq keeps 24 of the 30 entries uploaded: a file holds 24");
}

} // namespace
} // namespace k7
