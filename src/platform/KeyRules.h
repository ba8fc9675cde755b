// A text box's key rules in the windows: the key press filter (what a typed key becomes, or
// that it is dropped) and a validator that holds the box to the same rules whatever way text
// comes in: it sees the box's whole new text and may change it, so a paste, a drop or an input
// method's text passes the rules as typing does. A rule keeps or drops each character in order.
#pragma once

#include <QKeyEvent>
#include <QValidator>

#include <functional>
#include <optional>

namespace k7 {

class KeyRuleValidator final : public QValidator {
public:
    using Rule = std::function<QString(const QString&)>;
    KeyRuleValidator(Rule rule, QObject* parent) : QValidator(parent), rule_(std::move(rule)) {}

    State validate(QString& input, int& pos) const override {
        const QString allowed = rule_(input);
        if (allowed != input) {
            // The cursor stays after what was kept of the text before it.
            pos = static_cast<int>(rule_(input.left(pos)).size());
            input = allowed;
        }
        return Acceptable;
    }

private:
    Rule rule_;
};

// The characters of a box's text that a typed character replaces (its selection); none: the
// character is inserted. A box's rules judge the text as it is once the key has replaced them.
struct TextSelection {
    qsizetype start = 0;
    qsizetype length = 0;
};

inline QString WithoutSelection(QString text, TextSelection selection) {
    if (selection.length > 0 && selection.start >= 0) {
        text.remove(selection.start, selection.length);
    }
    return text;
}

// A key press in a box with key rules. Backspace goes to the rule as "\b", Enter as "\r", a
// printable character as itself; the rule answers with the character to type, or none to drop
// the key. True when the press is consumed: dropped, or replaced (the rule's character is
// given to insert). Cursor keys, Delete and shortcuts (Ctrl+V among them, which on some systems
// carries its letter as text) edit as usual: the validator holds what they bring in.
inline bool FilterKeyPress(const QKeyEvent& key,
                           const std::function<std::optional<QChar>(QChar)>& rule,
                           const std::function<void(QChar)>& insert) {
    QChar typed;
    if (key.key() == Qt::Key_Backspace) {
        typed = QChar(u'\b');
    } else if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        typed = QChar(u'\r');
    } else if ((key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) == 0 &&
               key.text().size() == 1 && key.text().at(0).isPrint()) {
        typed = key.text().at(0);
    } else {
        return false;
    }
    const std::optional<QChar> result = rule(typed);
    if (!result) {
        return true;
    }
    if (*result != typed) {
        insert(*result);
        return true;
    }
    return false;
}

} // namespace k7
