#include "widgets/GuardedApplication.h"

#include "core/SharedReading.h"

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    if (!state_) return QApplication::notify(receiver, event);
    bool handled = false;
    RunFileAction(*state_, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
