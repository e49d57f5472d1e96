#include "CodePageName.h"

#include "platform/AsciiText.h"

#include <iconv.h>
#include <string>

namespace tabulant::db {

namespace {

struct Alias {
    std::string_view name;
    int codePage;
};

// The names under which the code pages of Access's East Asian editions are usually known.
constexpr Alias Aliases[] = {{"gbk", 936},  {"gb2312", 936},        {"shift_jis", 932},
                             {"sjis", 932}, {"big5", 950},          {"euc-kr", 949},
                             {"uhc", 949},  {"ks_c_5601-1987", 949}};

std::optional<int> number(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n > 0 ? std::optional<int>(n) : std::nullopt;
}

} // namespace

std::optional<int> CodePageFromName(std::string_view name) {
    const std::string lower = platform::AsciiLowerCase(name);
    std::optional<int> codePage;
    for (const Alias& a : Aliases)
        if (lower == a.name) codePage = a.codePage;
    if (!codePage) {
        std::string_view digits = lower;
        for (std::string_view prefix : {"cp", "windows-"})
            if (digits.starts_with(prefix)) digits.remove_prefix(prefix.size());
        codePage = number(digits);
    }
    if (!codePage) return std::nullopt;
    const std::string iconvName = "CP" + std::to_string(*codePage);
    iconv_t cd = iconv_open("UTF-8", iconvName.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv_close(cd);
    return codePage;
}

} // namespace tabulant::db
