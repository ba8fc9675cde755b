// CSV export and import of the editor's entries (File menu, normal editing). Export writes the
// rows as the receivers show them, frequencies in MHz with a point whatever the user's decimal
// separator. Import reduces names to what a receiver shows, checks every frequency with the
// editor's frequency check (slot 1's band) and every mute level, and takes the file only
// whole: a file that does not fit is refused with its line and reason, and the editor and its
// file stay as they were. An import that fits replaces the rows and is written to the file
// like any edit.
#pragma once

#include "FrequencyEditor.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace k7 {

struct CsvRead;

class EditorCsv {
public:
    explicit EditorCsv(FrequencyEditor& editor) : editor_(editor) {}

    // The menu commands: a file dialog, then the file.
    void mnuExportCsv();
    void mnuImportCsv();

    // Writes the rows to path (whole or not at all); false (the operator told why) on failure.
    bool ExportFile(const QString& path);
    // Reads path and replaces the rows with its entries; false when refused or not written
    // (the operator has been told which line and why).
    bool ImportFile(const QString& path);

    QByteArray ExportBytes() const;
    // The rows a read file gives, or the line and reason it is refused for.
    struct Converted {
        std::vector<GridRow> rows;
        int errorLine = 0;
        QString error; // empty when the entries fit
    };
    Converted Convert(const CsvRead& read);

private:
    void refuse(const QString& path, const Converted& why);

    FrequencyEditor& editor_;
};

} // namespace k7
