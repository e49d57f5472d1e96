#include "QtEventLoop.h"

#include <QCoreApplication>

namespace tabulant::platform {

void QtEventLoop::processEvents() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

} // namespace tabulant::platform
