#include "QtShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace tabulant::platform {

bool QtShellOpen::Open(std::string_view url) {
    const QUrl link = QUrl::fromEncoded(QByteArray(url.data(), static_cast<qsizetype>(url.size())),
                                        QUrl::StrictMode);
    if (!link.isValid() || link.scheme().isEmpty()) return false;
    return QDesktopServices::openUrl(link);
}

} // namespace tabulant::platform
