#include "EventPump.h"

#include <QCoreApplication>

namespace k7 {

void QtEventPump::LetPendingMessagesRun() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace k7
