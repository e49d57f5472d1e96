#include "QtClipboard.h"
#include "QtText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tabulant::platform {

namespace {
QClipboard* systemClipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
               ? QGuiApplication::clipboard()
               : nullptr;
}
} // namespace

std::string QtClipboard::MimeTypeOf(int format) {
    // 1, 7 and 13 are the text, OEM text and Unicode text formats of the system the program was
    // first written for; callers that pass them mean plain text.
    if (format == 0 || format == 1 || format == 7 || format == 13) return {};
    return "application/x-tabulant-format-" + std::to_string(format);
}

bool QtClipboard::Clear() {
    QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) return false;
    clipboard->clear();
    return true;
}

bool QtClipboard::SetText(std::string_view text, int format) {
    QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) return false;
    const std::string mime = MimeTypeOf(format);
    if (mime.empty()) {
        clipboard->setText(ToQString(text));
    } else {
        auto* data = new QMimeData;
        data->setData(QString::fromStdString(mime),
                      QByteArray(text.data(), static_cast<qsizetype>(text.size())));
        clipboard->setMimeData(data); // the clipboard takes ownership
    }
    return true;
}

} // namespace tabulant::platform
