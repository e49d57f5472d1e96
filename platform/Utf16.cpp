#include "Utf16.h"

namespace tabulant::platform {

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> cp = DecodeUtf8Strict(utf8, i);
        if (!cp) return std::nullopt;
        AppendUtf16(*cp, out);
    }
    return out;
}

} // namespace tabulant::platform
