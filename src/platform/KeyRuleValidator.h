// Holds a text box to its key rules whatever way text comes in: the validator sees the box's
// whole new text and may change it, so a paste, a drop or an input method's text passes the same
// rules as typing. The rule keeps or drops each character in order.
#pragma once

#include <QValidator>

#include <functional>

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

} // namespace k7
