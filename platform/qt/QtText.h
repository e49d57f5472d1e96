#pragma once

#include <QString>

#include <string_view>

namespace tabulant::platform {

// The program's texts are UTF-8 in std::string; Qt's are QString. This is the one way from the
// first to the second (a byte that is not UTF-8 shows as U+FFFD); the way back is
// QString::toStdString, which writes UTF-8.
inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace tabulant::platform
