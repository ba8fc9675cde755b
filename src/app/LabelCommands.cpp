#include "LabelCommands.h"

#include "files/EntriesCsv.h"
#include "files/WholeFile.h"
#include "link/DeviceTables.h"
#include "platform/FileChooser.h"
#include "platform/Prompter.h"
#include "rack/RackTables.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <set>

namespace k7 {

std::vector<LabelRow> LabelCommands::RackRows() const {
    std::vector<LabelRow> rows;
    const int receivers = std::clamp(wiring_.devices.DeviceCount, 0, kMaxSlots);
    for (int slot = 1; slot <= receivers; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        LabelRow row;
        row.serial = QString::fromLatin1(wiring_.devices.SlotSerial[s].data());
        row.slot = slot;
        row.name = wiring_.rack.CurData[s].Name;
        row.label = wiring_.labels.Of(row.serial);
        rows.push_back(row);
    }
    return rows;
}

std::vector<LabelRow> LabelCommands::ExportRows() const {
    std::vector<LabelRow> rows = RackRows();
    std::set<QString> inRack;
    for (const LabelRow& row : rows) {
        inRack.insert(row.serial);
    }
    for (const auto& [serial, label] : wiring_.labels.all()) {
        if (!inRack.contains(serial)) {
            rows.push_back(LabelRow{serial, 0, QString(), label});
        }
    }
    return rows;
}

bool LabelCommands::Import() {
    const std::optional<QString> path =
        wiring_.chooser ? wiring_.chooser->ChooseOpenFile(
                              FileDialogSpec::Csv(QStringLiteral("Import labels"), wiring_.folder))
                        : std::nullopt;
    return path && ImportFile(*path);
}

bool LabelCommands::Export() {
    const std::optional<QString> path =
        wiring_.chooser ? wiring_.chooser->ChooseSaveFile(
                              FileDialogSpec::Csv(QStringLiteral("Export labels"), wiring_.folder))
                        : std::nullopt;
    return path && ExportFile(*path);
}

bool LabelCommands::ImportFile(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(QStringLiteral("Import failed"),
               QStringLiteral("%1 cannot be read: %2.\r\nNo label was changed.")
                   .arg(shown, file.errorString()));
        return false;
    }
    const LabelsCsvRead read = DecodeLabelsCsv(file.read(kMaxCsvBytes + 1));
    if (!read.ok()) {
        refuse(QStringLiteral("Import failed"),
               QStringLiteral("%1 was not imported.\r\n%2\r\nNo label was changed: correct the "
                              "file and import it again.")
                   .arg(shown, read.error));
        return false;
    }
    wiring_.labels.SetAll(read.rows);
    return true;
}

bool LabelCommands::ExportFile(const QString& path) {
    QString error;
    if (!WriteWholeFile(path, EncodeLabelsCsv(ExportRows()), error)) {
        refuse(QStringLiteral("Export failed"),
               QStringLiteral("The labels could not be exported.\r\n%1\r\nChoose another folder, "
                              "or free some space, and export again.")
                   .arg(error));
        return false;
    }
    return true;
}

void LabelCommands::refuse(const QString& title, const QString& text) {
    MessageBoxSpec box;
    box.title = title;
    box.icon = MsgIcon::Exclamation;
    box.text = text;
    wiring_.prompter.ShowMessage(box);
}

} // namespace k7
