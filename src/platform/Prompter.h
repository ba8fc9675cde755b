// Modal message boxes: text, title, icon, buttons, default button; returns the button pressed.
// Texts are built with CR LF between lines, as the station always wrote them; an empty title
// means the application's own title.
#pragma once

#include <QString>

namespace k7 {

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { OK, OKCancel, YesNo };
enum class MsgAnswer { OK, Cancel, Yes, No };

struct MessageBoxSpec {
    QString text;
    QString title; // empty: the application's title
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    int defaultButton = 0; // 0 first, 1 second; past the last button means the first
    bool foreground = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MsgAnswer ShowMessage(const MessageBoxSpec& box) = 0;
};

// The answer a box gets when nobody is there to press a button: its default button.
MsgAnswer DefaultAnswer(const MessageBoxSpec& box);
// The text of a button as the box shows it ("OK", "Cancel", "Yes", "No").
QString AnswerText(MsgAnswer answer);
// "OK", "OKCancel" or "YesNo".
QString ButtonsText(MsgButtons buttons);
// "none", "information", "exclamation", "critical" or "question".
QString IconText(MsgIcon icon);

} // namespace k7
