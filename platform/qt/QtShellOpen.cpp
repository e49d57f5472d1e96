#include "QtShellOpen.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tabulant::platform {

bool QtShellOpen::Open(std::string_view url) {
    const QUrl link = QUrl::fromEncoded(QByteArray(url.data(), static_cast<qsizetype>(url.size())),
                                        QUrl::StrictMode);
    if (!link.isValid() || link.scheme().isEmpty()) return false;
    if (link.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0 &&
        !hasMailProgram_())
        return false;
    return QDesktopServices::openUrl(link);
}

bool QtShellOpen::DesktopHasMailProgram() {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty()) return true;
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"),
                       QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished();
        return true;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace tabulant::platform
