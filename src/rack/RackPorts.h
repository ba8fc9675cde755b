// What the rack engine sets off in the layers above it. The rack declares these small
// interfaces; the display, the start-up dialog, the shell and the file layer implement them, so
// that no include points upward. Watchers of the rack's answers use RackEvents instead.
#pragma once

#include <QString>

namespace k7 {

// The meter panel (display layer).
class MeterDisplay {
public:
    virtual ~MeterDisplay() = default;
    virtual void Display8VU(int receiver, int position) = 0;
    virtual void Display16VU(int receiver, int position) = 0;
    virtual void Display24VU(int receiver, int position) = 0;
    virtual void Display40VU(int receiver, int position) = 0;
    virtual void ResetPeaks() = 0;
    virtual void PrepareCells8() = 0;
    virtual void PrepareCells16() = 0;
    virtual void PrepareCells24() = 0;
    virtual void PrepareCells40() = 0;
    virtual void ClearPanel() = 0;
    virtual void ShowPanel() = 0;
};

// The start-up dialog as the rack drives it (the shell's dialog controller implements it).
class StartupDialogPort {
public:
    virtual ~StartupDialogPort() = default;
    virtual void SetActivity(const QString& text) = 0;       // lblRx
    virtual void SetReceiverNumber(const QString& text) = 0; // lblRxNo
    virtual QString ReceiverNumber() const = 0;
    virtual void SetProgress(int value) = 0; // pbStartup
    // Picture shown; query, close frame and both buttons hidden; the dialog shown.
    virtual void ShowProgress() = 0;
    // Load-last-file question: query frame only, countdown running.
    virtual void ShowQuery() = 0;
    // Closing form: close frame and "Close now" (focused), countdown running, dialog shown.
    virtual void ShowCloseCountdown() = 0;
    virtual void HideDialog() = 0;
    virtual bool IsDialogVisible() const = 0;
};

// The main window as the rack drives it.
class ShellPort {
public:
    virtual ~ShellPort() = default;
    // Caption = the title base followed by the suffix ("FILE: Band1", "Using: Receiver Data").
    virtual void ShowTitleSuffix(const QString& suffix) = 0;
    virtual void FocusMeterPanel() = 0;
};

// How a read of a frequency file ended (the file layer's readers give it; discovery's load of
// the last file tells "no file" apart from the rest).
enum class FrqResult {
    Read,   // every entry read
    NoFile, // no such file in the data folder
    Number, // an entry without a frequency
    Exit,   // a frequency outside the band (its box told the operator)
    NoLine, // an entry not followed by its empty line
    Failed, // unreadable: could not be opened, too large, ends early, a bad count line
};

// The rack's file as discovery's completion and the programming pass see it (the file layer's
// RackFile implements it and alone writes the file state).
class RackFiles {
public:
    virtual ~RackFiles() = default;
    // The last file is loaded at start ("Load last file on Start").
    virtual bool LoadAtStart() const = 0;
    // The file in force for the rack (or the last one chosen).
    virtual QString CurrentFile() const = 0;
    // A file is in force: loaded at start, or in use.
    virtual bool FileInForce() const = 0;
    // The last file, read as discovery completes (a frequency outside the band is kept as it
    // is: the pass's band guard keeps it off the air); its boxes have told the operator.
    virtual FrqResult LoadRackFile(const QString& name) = 0;
    virtual void CopyLoadToCurrent() = 0;
    virtual bool RackDiffers() = 0;
    // The loaded file is in use and becomes the working settings, programmed by a changed-only
    // pass.
    virtual void AcceptLoadedFile() = 0;
    // No file is in use: the receivers' own settings become the working settings; a pass only
    // opens them.
    virtual void CurrentFromRack() = 0;
    // After a rescan, nothing sent: the file in use stays in force only when the receivers as
    // they now sit hold what it says (RackDiffers finds no difference); otherwise the
    // receivers' own settings become the working settings. True when the file stays in force.
    virtual bool TakeRescannedRack() = 0;
    // False when the snapshot could not be written (the caller tells the operator).
    virtual bool WriteRackSnapshot() = 0;
};

// The band layer's word on a frequency about to be sent to a slot's receiver.
class FrequencyGuard {
public:
    virtual ~FrequencyGuard() = default;
    // True when the text is a well-formed ddd.ddd frequency inside the slot's band.
    virtual bool FrequencyFitsSlot(const QString& frequency, int slot) const = 0;
};

} // namespace k7
