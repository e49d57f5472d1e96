#include "ApplicationIcon.h"

namespace tabulant::shell {

QIcon ApplicationIcon() {
    static const QIcon icon(QStringLiteral(":/tabulant/tabulant.png"));
    return icon;
}

} // namespace tabulant::shell
