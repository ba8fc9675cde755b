// The control panel's key rules: what the name and frequency boxes take, typed or pasted, with
// the text a keystroke replaces taken out first.
#include "PanelRules.h"
#include "ReceiverPanel.h"

#include "rack/RackTables.h"

namespace k7 {

using namespace panel_rules;

std::optional<QChar> ReceiverPanel::NameKeyPress(QChar key, TextSelection replaced) {
    if (key == QChar('\b')) {
        return key;
    }
    if (key == QChar('\r')) {
        keepPanelOpen_ = false;
        SaveChanges();
        if (!keepPanelOpen_) {
            HidePanel();
        }
        return std::nullopt;
    }
    if (WithoutSelection(txtName_, replaced).size() >= kNameLength) {
        return std::nullopt;
    }
    if (key == QChar(' ')) {
        return QChar('_');
    }
    // A name goes to the receiver one byte per character: printable ASCII only.
    if (key.unicode() < 0x20 || key.unicode() >= 0x7F) {
        return std::nullopt;
    }
    return key;
}

QString ReceiverPanel::NameTextAllowed(const QString& text) const {
    QString allowed;
    for (const QChar c : text) {
        if (allowed.size() >= kNameLength) {
            break;
        }
        if (c == QChar(' ')) {
            allowed += QChar('_');
        } else if (c.unicode() > 0x20 && c.unicode() < 0x7F) {
            allowed += c;
        }
    }
    return allowed;
}

QString ReceiverPanel::FreqTextAllowed(const QString& text) const {
    const QChar separator(static_cast<char16_t>(tables().DecimalSeparatorCode));
    QString allowed;
    for (const QChar c : text) {
        if ((c >= QChar('0') && c <= QChar('9')) ||
            (c == separator && !allowed.contains(separator))) {
            allowed += c;
        }
    }
    return allowed;
}

std::optional<QChar> ReceiverPanel::FreqKeyPress(QChar key, TextSelection replaced) {
    const QChar separator(static_cast<char16_t>(tables().DecimalSeparatorCode));
    if (key == QChar('\b') || (key >= QChar('0') && key <= QChar('9'))) {
        return key;
    }
    if (key == separator && !WithoutSelection(txtFreq_, replaced).contains(separator)) {
        return key;
    }
    if (key == QChar('\r') && !txtFreq_.isEmpty()) {
        keepPanelOpen_ = false;
        SaveChanges();
        if (!keepPanelOpen_) {
            HidePanel();
            FocusMeters();
        }
    }
    return std::nullopt;
}

} // namespace k7
