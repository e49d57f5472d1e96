#include "Helpers.h"

#include "platform/Utf8.h"

#include <cwctype>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace tabulant::shell {

bool FileExists(std::string_view path) {
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(std::string(path).c_str(), &st) == 0;
}

namespace {

locale_t utf8Locale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return loc;
}

} // namespace

std::string LowerCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += (b >= 'A' && b <= 'Z') ? static_cast<char>(b + 32) : static_cast<char>(b);
            ++i;
            continue;
        }
        int len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (len == 1 || i + static_cast<std::size_t>(len) > text.size()) {
            out += static_cast<char>(b); // not UTF-8: keep the byte as it is
            ++i;
            continue;
        }
        char32_t c = b & (0xFF >> (len + 1));
        for (int k = 1; k < len; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        platform::AppendUtf8(
            static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), utf8Locale())), out);
        i += static_cast<std::size_t>(len);
    }
    return out;
}

bool ListContainsText(const platform::StringList& list, std::string_view text) {
    const std::string wanted = LowerCase(text);
    bool found = false;
    const int n = list.ListCount();
    for (int i = 0; i < n; ++i)
        if (LowerCase(list.List(i)) == wanted) found = true;
    return found;
}

void ListRemoveText(platform::StringList& list, std::string_view text) {
    for (int i = list.ListCount() - 1; i >= 0; --i)
        if (list.List(i) == text) list.RemoveItem(i);
}

const platform::Variant& NullToDefault(const platform::Variant& value,
                                       const platform::Variant& defaultValue) {
    return value.isNull() ? defaultValue : value;
}

namespace {
std::string& programFolder() {
    static std::string folder = [] {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0) return std::string(".");
        std::string exe(buf, static_cast<std::size_t>(n));
        const auto slash = exe.rfind('/');
        return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
    }();
    return folder;
}
} // namespace

std::string ProgramFolder() { return programFolder(); }
void SetProgramFolder(std::string folder) { programFolder() = std::move(folder); }

} // namespace tabulant::shell
