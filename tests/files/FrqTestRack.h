// The station's core with a data folder for the file tests: the tables of a K7.5 interface with
// one band-36 receiver unless a test says otherwise.
#pragma once

#include "support/RackHarness.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace k7 {
inline void PrintTo(const SettingsRow& row, std::ostream* os) {
    *os << '{' << row.Name.toStdString() << ' ' << row.Frequency.toStdString() << ' '
        << row.MuteLevel.toStdString() << ' ' << row.BandType.toStdString() << '}';
}
} // namespace k7

namespace k7::test {

struct FrqTestRack {
    FrqTestRack() {
        devices.DeviceCount = 1;
        devices.SlotBand[1] = 36;
        devices.ModelVariant = ModelK75;
    }

    QString path(const QString& name) const { return folder + QLatin1Char('/') + name; }
    void writeRaw(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    QByteArray readRaw(const QString& name) const {
        QFile file(path(name));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    // The lines of a file as written (CR LF removed).
    QStringList lines(const QString& name) const {
        QStringList result = QString::fromLatin1(readRaw(name)).split(QStringLiteral("\r\n"));
        result.removeLast();
        return result;
    }
    // A well-formed file of 40 entries; entry i is "Mic<i>", 606.600 + i * 25 kHz, mute "5",
    // band/type "0". Tests change single lines (index 3 + (entry - 1) * 5 + field).
    static QStringList validLines() {
        QStringList result{QStringLiteral("Veltora USB Receiver file"), QStringLiteral("24"),
                           QStringLiteral("5")};
        for (int i = 1; i <= 40; ++i) {
            result << QStringLiteral("Mic%1").arg(i, 3, 10, QLatin1Char('0'))
                   << QString::number(606.600 + (i - 1) * 0.025, 'f', 3) << QStringLiteral("5")
                   << QStringLiteral("0") << QString();
        }
        return result;
    }
    static int lineOf(int entry, int field) { return 3 + (entry - 1) * 5 + field; }
    static QByteArray bytesOf(const QStringList& text) {
        return (text.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    }
    void writeLines(const QString& name, const QStringList& text) const {
        writeRaw(name, bytesOf(text));
    }

    // The editor's reader into `editor`; the read's own box, if any, goes to the prompter.
    FrqResult readEditor(const QString& name) {
        const FrqLoad load = frq.ReadEditorFile(name, editor);
        FrqFile::TellReadFailure(prompter, FrqReader::Editor, name, load);
        editor = FrqFile::EditorDocumentOf(load, editor);
        return load.result;
    }
    // The rack's reader into `loaded` (laid over it, as the rack reads); its box as above.
    FrqResult readRack(const QString& name, RangeRule range = RangeRule::RefuseOutOfRange) {
        const FrqLoad load = frq.ReadRackFile(name, range, loaded);
        FrqFile::TellReadFailure(prompter, FrqReader::Rack, name, load);
        loaded = load.read.document;
        return load.result;
    }

    RackHarness rig; // a rack of no receivers: the tables are the test's to set
    QTemporaryDir& dir = rig.dir;
    QString folder = rig.dataFolder();
    DeviceTables& devices = rig.devices;
    RackTables& rack = rig.rack;
    RackFile& files = rig.files;
    ScriptedPrompter& prompter = rig.prompter;
    RecordingStartupDialog& dialog = rig.dialog;
    const FrqFile& frq = rig.core.frq();
    EditorDocument editor;
    FrqDocument loaded;
};

} // namespace k7::test
