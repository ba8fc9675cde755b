#include "Prompter.h"

namespace k7 {

MsgAnswer DefaultAnswer(const MessageBoxSpec& box) {
    switch (box.buttons) {
    case MsgButtons::OKCancel:
        return box.defaultButton == 1 ? MsgAnswer::Cancel : MsgAnswer::OK;
    case MsgButtons::YesNo:
        return box.defaultButton == 1 ? MsgAnswer::No : MsgAnswer::Yes;
    case MsgButtons::OK:
        break;
    }
    return MsgAnswer::OK;
}

QString AnswerText(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::OK:
        return QStringLiteral("OK");
    case MsgAnswer::Cancel:
        return QStringLiteral("Cancel");
    case MsgAnswer::Yes:
        return QStringLiteral("Yes");
    case MsgAnswer::No:
        return QStringLiteral("No");
    }
    return {};
}

QString ButtonsText(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OK:
        return QStringLiteral("OK");
    case MsgButtons::OKCancel:
        return QStringLiteral("OKCancel");
    case MsgButtons::YesNo:
        return QStringLiteral("YesNo");
    }
    return {};
}

QString IconText(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::None:
        return QStringLiteral("none");
    case MsgIcon::Information:
        return QStringLiteral("information");
    case MsgIcon::Exclamation:
        return QStringLiteral("exclamation");
    case MsgIcon::Critical:
        return QStringLiteral("critical");
    case MsgIcon::Question:
        return QStringLiteral("question");
    }
    return {};
}

} // namespace k7
