// View > Crew view...: the crew view's switch, the address and port it listens on, the page's
// address with its access key and a QR code of it for a phone's camera, "New key", and the
// number of viewers. A thin window over the CrewView: a change is applied at once and kept.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace k7 {

class CrewView;

class CrewDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CrewDialog(CrewView& view, QWidget* parent = nullptr);

    QCheckBox* on() const { return on_; }
    QComboBox* address() const { return address_; }
    QSpinBox* port() const { return port_; }
    QLineEdit* url() const { return url_; }
    QLabel* qr() const { return qr_; }
    QPushButton* newKey() const { return newKey_; }
    QLabel* viewers() const { return viewers_; }
    QLabel* error() const { return error_; }

private:
    void apply();
    void refresh();
    void fillAddresses();

    CrewView& view_;
    QCheckBox* on_;
    QComboBox* address_;
    QSpinBox* port_;
    QLineEdit* url_;
    QLabel* qr_;
    QPushButton* newKey_;
    QLabel* viewers_;
    QLabel* error_;
    QString qrShown_;
};

} // namespace k7
