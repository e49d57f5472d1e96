#include "CaselessReplace.h"

#include "platform/AsciiText.h"
#include "platform/qt/QtText.h"

#include <QString>

#include <cstdint>
#include <cstring>

namespace tabulant::ui {

namespace {

bool isAscii(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL) return false;
    }
    for (; n > 0; ++p, --n)
        if (static_cast<unsigned char>(*p) & 0x80) return false;
    return true;
}

} // namespace

CaselessReplace::CaselessReplace(std::string_view find, std::string_view replacement)
    : find_(find), lowerFind_(find), replacement_(replacement), findIsAscii_(isAscii(find)) {
    for (char& c : lowerFind_) c = platform::AsciiLower(c);
}

bool CaselessReplace::apply(std::string_view line, std::string& out) const {
    if (find_.empty() || line.empty()) return false;
    if (!findIsAscii_ || !isAscii(line)) return applyUnicode(line, out);
    if (lowerFind_.size() > line.size()) return false;

    const char first = lowerFind_[0];
    const char firstUpper = (first >= 'a' && first <= 'z') ? static_cast<char>(first - 32) : first;
    const std::size_t last = line.size() - lowerFind_.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (line[i] != first && line[i] != firstUpper) continue;
        std::size_t k = 1;
        while (k < lowerFind_.size() && platform::AsciiLower(line[i + k]) == lowerFind_[k]) ++k;
        if (k < lowerFind_.size()) continue;
        out.assign(line.substr(0, i)).append(replacement_).append(line.substr(i + find_.size()));
        return true;
    }
    return false;
}

bool CaselessReplace::applyUnicode(std::string_view line, std::string& out) const {
    const QString text = platform::ToQString(line);
    const QString what = platform::ToQString(find_);
    const qsizetype p = text.indexOf(what, 0, Qt::CaseInsensitive);
    if (p < 0) return false;
    const QByteArray head = QStringView(text).left(p).toUtf8();
    const QByteArray tail = QStringView(text).mid(p + what.size()).toUtf8();
    out.assign(head.constData(), static_cast<std::size_t>(head.size()));
    out.append(replacement_);
    out.append(tail.constData(), static_cast<std::size_t>(tail.size()));
    return true;
}

} // namespace tabulant::ui
