// File > "Print show sheet...": the rack as it stands on one A4 page, as a PDF the operator
// names (printed from any viewer, mailed to the production office); the file is written whole
// or not at all, the sheet is recorded in the trace, and a file that cannot be written is told.
#pragma once

#include "ShowSheet.h"

#include <QString>

#include <functional>
#include <optional>

namespace k7 {

class FileChooser;
class Prompter;
class RackCommands;
class Trace;

class ShowSheetCommand {
public:
    struct Wiring {
        ShowSheetSources sources;
        FileChooser& chooser;
        Prompter& prompter;
        RackCommands& engine; // polling paused while a box is up
        Trace& trace;
        QString dataFolder; // where the save dialog opens
        // The rack meters (no discovery, rescan or exit): asked again once the file is chosen,
        // as the rack may have outlived the dialog.
        std::function<bool()> available;
    };

    explicit ShowSheetCommand(Wiring wiring) : w_(std::move(wiring)) {}

    ShowSheet Sheet() const;
    // Asks for the PDF file, then writes the sheet into it: the file written, or none
    // (cancelled, or the operator was told why not).
    std::optional<QString> Print();

private:
    Wiring w_;
};

} // namespace k7
