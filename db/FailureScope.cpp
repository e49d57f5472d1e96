#include "FailureScope.h"

#include <array>

namespace tabulant::db {

std::string_view SqlStateOf(std::string_view description) {
    constexpr std::string_view Mark = "SQLException: [";
    const auto at = description.find(Mark);
    if (at == std::string_view::npos) return {};
    const auto start = at + Mark.size();
    const auto end = description.find(']', start);
    if (end == std::string_view::npos || end - start != 5) return {};
    return description.substr(start, 5);
}

FailureScope ScopeOf(std::string_view description) {
    const std::string_view state = SqlStateOf(description);
    if (state.empty()) return FailureScope::Statement;
    if (state.starts_with("08") || state == "57P01" || state == "57P02" || state == "57P03")
        return FailureScope::Connection;
    constexpr std::array<std::string_view, 5> Relation = {"42P01", "42501", "42601", "42809",
                                                          "55000"};
    for (std::string_view s : Relation)
        if (state == s) return FailureScope::Relation;
    return FailureScope::Statement;
}

} // namespace tabulant::db
