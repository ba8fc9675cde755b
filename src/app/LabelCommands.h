// The rack's receivers with their labels, as the Labels window lists them, and the labels' CSV
// import and export through the file dialogs, with a box that names the file, the line and the
// fault when a file cannot be read or written.
#pragma once

#include "files/ReceiverLabels.h"

#include <QString>

#include <vector>

namespace k7 {

struct DeviceTables;
struct RackTables;
class FileChooser;
class Prompter;

class LabelCommands {
public:
    struct Wiring {
        ReceiverLabels& labels;
        const DeviceTables& devices;
        const RackTables& rack;
        Prompter& prompter;
        FileChooser* chooser; // none: every file dialog counts as cancelled
        QString folder;       // where the dialogs open ("USB Files")
    };

    explicit LabelCommands(const Wiring& wiring) : wiring_(wiring) {}

    ReceiverLabels& labels() { return wiring_.labels; }
    // The receiver in each slot of the rack, slot order, with its label.
    std::vector<LabelRow> RackRows() const;
    // What an export writes: the rack's receivers, then the labelled receivers not in it (no
    // slot, no name), so that an export and an import keep every label.
    std::vector<LabelRow> ExportRows() const;

    // Import... and Export...: a file dialog, then the file; false when cancelled or refused.
    bool Import();
    bool Export();
    // The file itself: the labels of every line or, when a line is refused, none (a box says
    // which line and why).
    bool ImportFile(const QString& path);
    bool ExportFile(const QString& path);

private:
    void refuse(const QString& title, const QString& text);

    Wiring wiring_;
};

} // namespace k7
