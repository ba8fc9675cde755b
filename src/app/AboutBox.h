// The About box: the program's title, version, description and legal notice from the build's
// version information, an OK button, and the system information button, which on this platform
// can only say that the tool is unavailable.
#pragma once

#include <QDialog>

namespace k7 {

class Prompter;

// "System Information Is Unavailable At This Time", OK, no icon.
void StartSysInfo(Prompter& prompter);

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    // Its parts are named lblTitle, lblVersion, lblDescription, lblDisclaimer, cmdOK and
    // cmdSysInfo.
    AboutBox(Prompter& prompter, QWidget* parent = nullptr);

private:
    Prompter& prompter_;
};

} // namespace k7
