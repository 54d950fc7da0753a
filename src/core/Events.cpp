#include "core/Events.h"

#include <QCoreApplication>

void LetEventsRun() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}
