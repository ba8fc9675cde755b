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

// The file operations discovery's completion and the start-up dialog's answers use.
class RackFiles {
public:
    virtual ~RackFiles() = default;
    // The last file, read as discovery completes (a frequency outside the band is kept as it
    // is: the pass's band guard keeps it off the air). The file name on success, else
    // "No frq file", "NUMBER", "EXIT", "NOLINE" or "".
    virtual QString LoadRackFile(const QString& name) = 0;
    virtual void CopyLoadToCurrent() = 0;
    virtual bool RackDiffers() = 0;
    // The loaded file becomes the working settings, programmed by a changed-only pass.
    virtual void AcceptLoadedFile() = 0;
    // The receivers' own settings become the working settings; a pass only opens them.
    virtual void CurrentFromRack() = 0;
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
