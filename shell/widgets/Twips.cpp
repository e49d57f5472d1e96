#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tabulant::shell {

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

int TwipsToPixels(int twips) { return TwipsToPixels(twips, LogicalDpi()); }

int TwipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

} // namespace tabulant::shell
