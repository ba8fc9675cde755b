#include "CrewDialog.h"

#include "CrewView.h"
#include "QrCode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace k7 {
namespace {

// A module's pixels, and the light border a camera needs around the code (in modules).
constexpr int kModulePixels = 5;
constexpr int kQuietModules = 4;

QPixmap QrPicture(const QString& text) {
    const std::optional<QrCode> code = MakeQrCode(text.toUtf8());
    if (!code) {
        return {};
    }
    const int side = (code->size + 2 * kQuietModules) * kModulePixels;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->size; ++y) {
        for (int x = 0; x < code->size; ++x) {
            if (code->at(x, y)) {
                painter.fillRect((x + kQuietModules) * kModulePixels,
                                 (y + kQuietModules) * kModulePixels, kModulePixels, kModulePixels,
                                 Qt::black);
            }
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

CrewDialog::CrewDialog(CrewView& view, QWidget* parent) : QDialog(parent), view_(view) {
    setWindowTitle(QStringLiteral("Crew view"));
    setObjectName(QStringLiteral("crewDialog"));
    on_ = new QCheckBox(QStringLiteral("Serve the crew view (read-only meters and alerts for "
                                       "browsers on the network)"),
                        this);
    on_->setObjectName(QStringLiteral("crewOn"));
    address_ = new QComboBox(this);
    address_->setObjectName(QStringLiteral("crewAddress"));
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("crewPort"));
    port_->setRange(1, 65535);
    url_ = new QLineEdit(this);
    url_->setObjectName(QStringLiteral("crewUrl"));
    url_->setReadOnly(true);
    url_->setMinimumWidth(420);
    qr_ = new QLabel(this);
    qr_->setObjectName(QStringLiteral("crewQr"));
    qr_->setAlignment(Qt::AlignCenter);
    newKey_ = new QPushButton(QStringLiteral("New key"), this);
    newKey_->setObjectName(QStringLiteral("crewNewKey"));
    newKey_->setToolTip(QStringLiteral("Makes a new access key: every link given out so far "
                                       "stops working at once"));
    viewers_ = new QLabel(this);
    viewers_->setObjectName(QStringLiteral("crewViewers"));
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("crewError"));
    error_->setWordWrap(true);
    error_->setStyleSheet(QStringLiteral("QLabel { color: #c62828; font-weight: bold; }"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Listen on:"), address_);
    form->addRow(QStringLiteral("Port:"), port_);
    form->addRow(QStringLiteral("Address:"), url_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(newKey_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(on_);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(qr_);
    layout->addWidget(viewers_);
    layout->addWidget(buttons);

    fillAddresses();
    connect(on_, &QCheckBox::toggled, this, [this] { apply(); });
    connect(address_, &QComboBox::activated, this, [this] { apply(); });
    connect(port_, &QSpinBox::editingFinished, this, [this] { apply(); });
    connect(newKey_, &QPushButton::clicked, this, [this] { view_.NewKey(); });
    // The view outlives the dialog: a change after the dialog is gone reaches nobody.
    view_.AddObserver([self = QPointer<CrewDialog>(this)] {
        if (self) {
            self->refresh();
        }
    });
    refresh();
}

void CrewDialog::fillAddresses() {
    address_->clear();
    for (const QHostAddress& address : CrewView::AddressChoices()) {
        address_->addItem(address.isLoopback()
                              ? QStringLiteral("This computer only (%1)").arg(address.toString())
                              : address.toString(),
                          address.toString());
    }
    const QString chosen = view_.settings().address.toString();
    if (address_->findData(chosen) < 0) {
        address_->addItem(QStringLiteral("%1 (not an address of this computer now)").arg(chosen),
                          chosen);
    }
}

void CrewDialog::apply() {
    CrewSettings choice = view_.settings();
    choice.enabled = on_->isChecked();
    choice.address = QHostAddress(address_->currentData().toString());
    choice.port = static_cast<quint16>(port_->value());
    view_.Apply(choice);
    refresh();
}

void CrewDialog::refresh() {
    const CrewSettings& settings = view_.settings();
    const CrewViewState& state = view_.state();
    const QSignalBlocker blockOn(on_);
    const QSignalBlocker blockAddress(address_);
    const QSignalBlocker blockPort(port_);
    on_->setChecked(settings.enabled || state.serving);
    const int index = address_->findData(state.endpoint.address.toString());
    if (index >= 0) {
        address_->setCurrentIndex(index);
    }
    if (!port_->hasFocus()) {
        port_->setValue(state.endpoint.port);
    }
    url_->setText(state.url);
    error_->setText(state.error);
    error_->setVisible(!state.error.isEmpty());
    newKey_->setEnabled(true);
    viewers_->setText(state.serving ? QStringLiteral("Viewers connected: %1 (at most %2)")
                                          .arg(state.viewers)
                                          .arg(CrewStream::kMaxViewers)
                                    : QStringLiteral("Not serving"));
    if (qrShown_ != state.url) {
        qrShown_ = state.url;
        qr_->setPixmap(state.url.isEmpty() ? QPixmap() : QrPicture(state.url));
    }
}

} // namespace k7
