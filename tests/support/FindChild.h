// A window's widget or menu item by its station name, as the window tests reach them; a name
// that is missing ends the test program with it.
#pragma once

#include <QAction>
#include <QObject>
#include <QString>

namespace k7::test {

template <typename T = QAction>
T* Find(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    }
    return child;
}

} // namespace k7::test
