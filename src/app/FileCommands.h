// The File menu's commands on frequency files as station operations over the file layer and
// the editor: "&Load" (a file into the whole rack), "&Edit" and "&New" (a file in the editor).
// Each chooses its file in the data folder, refuses the protected files, asks with polling
// paused, and restarts exactly the timers it stopped on every way that ends without its work.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace k7 {

struct DeviceTables;
struct FileDialogSpec;
class ActionLog;
class DefaultFiles;
class FileChooser;
class FrequencyEditor;
class FrqFile;
class Prompter;
class RackCommands;
class RackFile;
class ReceiverPanel;
class SettingsStore;
class ShellPort;

class FileCommands {
public:
    struct Wiring {
        RackFile& rackFile; // the file in force: File > Load makes one
        const FrqFile& frq;
        const DefaultFiles& defaults; // File > New's entries
        RackCommands& engine;         // polling paused, the pass after a load
        FrequencyEditor& editor;
        ReceiverPanel& panel; // hidden by a load into the rack
        ShellPort& shell;     // the caption after a load
        const DeviceTables& devices;
        SettingsStore& settings;
        Prompter& prompter;
        FileChooser& chooser;
        ActionLog& actions;
        // The commands run only while this holds (the rack meters, no exit or close dialog):
        // asked again after each dialog, which the rack may have outlived.
        std::function<bool()> available;
    };

    explicit FileCommands(const Wiring& wiring) : w_(wiring) {}

    // Loads a file into the rack: a full programming pass sends every setting of it to every
    // receiver, and the caption shows its name.
    void mnuOpen();
    // Opens a file in the editor for editing.
    void mnuEdit();
    // Makes a file of the band's defaults and opens it in the editor with its first entry.
    void mnuNew();
    // Opens a file in the editor to send it to a receiver (TransferCommands.cpp).
    void mnuTransfer();
    // Opens the editor empty, to fetch a receiver's own set (TransferCommands.cpp).
    void mnuUpload();

private:
    // The file chosen for the editor, refused (with its message) when it is Default.frq or the
    // rack's file in force; none when refused or cancelled.
    std::optional<QString> chooseEditorFile(const FileDialogSpec& dialog, bool save,
                                            const QString& refusal, const QString& what);

    Wiring w_;
};

} // namespace k7
