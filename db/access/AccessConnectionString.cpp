#include "AccessConnectionString.h"

#include "platform/AsciiText.h"

namespace tabulant::db {

namespace {

constexpr std::string_view PasswordKey = ";JET OLEDB:Database Password=";
constexpr std::string_view CodePageKey = "Code Page=";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Consumes `word` (any letter case) and the blanks after it.
bool take(std::string_view& s, std::string_view word) {
    if (!platform::StartsWithNoCase(s, word)) return false;
    s.remove_prefix(word.size());
    s = trim(s);
    return true;
}

} // namespace

std::string AccessConnectionString(std::string_view dataSource, std::string_view password,
                                   int codePage) {
    const bool ace = dataSource.size() >= 5 &&
                     platform::StartsWithNoCase(dataSource.substr(dataSource.size() - 5), "accdb");
    std::string s;
    // Reserved whole: the text holds the password, and a string that grows leaves its old copy
    // behind.
    s.reserve(64 + dataSource.size() + PasswordKey.size() + password.size());
    s = ace ? "Provider=Microsoft.ACE.OLEDB.12.0;" : "PROVIDER=Microsoft.Jet.OLEDB.4.0;";
    if (codePage != 0) s.append(CodePageKey).append(std::to_string(codePage)).append(";");
    s += "Data Source=";
    s.append(dataSource).append(PasswordKey).append(password);
    return s;
}

std::optional<AccessSource> ParseAccessConnectionString(std::string_view text) {
    static constexpr std::string_view SourceKey = "Data Source=";
    const std::size_t source = platform::FindNoCase(text, SourceKey);
    if (source == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(source + SourceKey.size());
    AccessSource out;
    const std::string_view before = text.substr(0, source);
    if (const std::size_t at = platform::FindNoCase(before, CodePageKey); at != before.npos) {
        for (std::size_t i = at + CodePageKey.size();
             i < before.size() && before[i] >= '0' && before[i] <= '9' && out.codePage < 100000;
             ++i)
            out.codePage = out.codePage * 10 + (before[i] - '0');
    }
    const std::size_t password = platform::FindNoCase(rest, PasswordKey, true);
    if (password == std::string_view::npos) {
        out.dataSource = rest;
    } else {
        out.dataSource = rest.substr(0, password);
        out.password = rest.substr(password + PasswordKey.size());
    }
    return out;
}

std::optional<std::string> ParseSelectAll(std::string_view statement) {
    std::string_view s = trim(statement);
    if (!s.empty() && s.back() == ';') s = trim(s.substr(0, s.size() - 1));
    if (!take(s, "SELECT") || !take(s, "*") || !take(s, "FROM") || s.empty()) return std::nullopt;
    if (s.front() == '`' || s.front() == '[') {
        const char close = s.front() == '`' ? '`' : ']';
        if (s.size() < 2 || s.back() != close) return std::nullopt;
        s = s.substr(1, s.size() - 2);
        if (s.empty() || s.find(close) != std::string_view::npos) return std::nullopt;
        return std::string(s);
    }
    return std::string(s);
}

} // namespace tabulant::db
