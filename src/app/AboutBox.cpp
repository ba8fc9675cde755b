#include "AboutBox.h"

#include "Version.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace k7 {

void StartSysInfo(Prompter& prompter) {
    // The operating system's system information tool exists only on Windows; everywhere else
    // the operator gets the one message its failure always gave.
    MessageBoxSpec box;
    box.text = QStringLiteral("System Information Is Unavailable At This Time");
    box.icon = MsgIcon::None;
    box.buttons = MsgButtons::OK;
    prompter.ShowMessage(box);
}

AboutBox::AboutBox(Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About K7"));
    setModal(false);
    auto* layout = new QGridLayout(this);
    auto* picIcon = new QLabel(this);
    picIcon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32));
    layout->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);

    auto* lblTitle = new QLabel(QString::fromUtf8(version::Title), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    lblTitle->setFont(bold);
    auto* lblVersion = new QLabel(QStringLiteral("Version %1.%2.%3")
                                      .arg(version::Major)
                                      .arg(version::Minor)
                                      .arg(version::Revision),
                                  this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    QString description = QString::fromUtf8(version::Description);
    description.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* lblDescription = new QLabel(description, this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    auto* lblDisclaimer = new QLabel(QString::fromUtf8(version::LegalNotice), this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setMaximumWidth(360);
    layout->addWidget(lblTitle, 0, 1);
    layout->addWidget(lblVersion, 1, 1);
    layout->addWidget(lblDescription, 2, 1);
    layout->addWidget(lblDisclaimer, 3, 0, 1, 2);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    layout->addWidget(cmdOK, 0, 2);
    layout->addWidget(cmdSysInfo, 1, 2);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(prompter_); });
}

} // namespace k7
