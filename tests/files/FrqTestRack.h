// A rack, a data folder and a file layer for the file tests: a K7.5 interface with one band-36
// receiver unless a test says otherwise.
#pragma once

#include "bands/CheckFrequency.h"
#include "files/FrqFile.h"
#include "link/DeviceTables.h"
#include "rack/FileState.h"
#include "rack/RackPorts.h"
#include "rack/RackTables.h"
#include "support/ScriptedPrompter.h"

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

class FakeStartupDialog final : public StartupDialogPort {
public:
    void SetActivity(const QString&) override {}
    void SetReceiverNumber(const QString&) override {}
    QString ReceiverNumber() const override { return QString(); }
    void SetProgress(int) override {}
    void ShowProgress() override { visible = true; }
    void ShowQuery() override { visible = true; }
    void ShowCloseCountdown() override { visible = true; }
    void HideDialog() override {
        visible = false;
        ++hides;
    }
    bool IsDialogVisible() const override { return visible; }

    bool visible = false;
    int hides = 0;
};

struct FrqTestRack {
    FrqTestRack() {
        QDir().mkpath(folder);
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
    void writeLines(const QString& name, const QStringList& text) const {
        writeRaw(name, (text.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    }

    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/USB Files");
    DeviceTables devices;
    RackTables rack;
    FileState files;
    ScriptedPrompter prompter;
    FakeStartupDialog dialog;
    FrequencyChecker checker{devices, rack, prompter};
    FrqFile frq{folder, files, rack, devices, checker, prompter, &dialog};
};

} // namespace k7::test
