// The About box: the program's title, version, description and legal notice from the build's
// version information, an OK button, and the system information button, which on this platform
// can only say that the tool is unavailable.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace k7 {

class Prompter;

// "System Information Is Unavailable At This Time", OK, no icon.
void StartSysInfo(Prompter& prompter);

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    AboutBox(Prompter& prompter, QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

private:
    Prompter& prompter_;
};

} // namespace k7
