#include "SettingValues.h"

#include "platform/AsciiText.h"
#include "platform/Error.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace tabulant::ui {

namespace {

constexpr long TypeMismatch = 13;
constexpr long Overflow = 6;

[[noreturn]] void mismatch() { throw platform::Error(TypeMismatch, "Type mismatch"); }

std::string_view trimmed(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

// Sign, digits with an optional fraction, optional exponent; nothing else.
std::optional<double> number(std::string_view t) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
        return i - start;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (digits() == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    return std::strtod(std::string(t).c_str(), nullptr);
}

} // namespace

int WholeNumberSetting(std::string_view text) {
    const auto value = number(trimmed(text));
    if (!value) mismatch();
    const double rounded = std::nearbyint(*value); // the default rounding mode: half to even
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) throw platform::Error(Overflow, "Overflow");
    return static_cast<int>(rounded);
}

bool BooleanSetting(std::string_view text) {
    const std::string_view t = trimmed(text);
    if (platform::EqualsNoCase(t, "true")) return true;
    if (platform::EqualsNoCase(t, "false")) return false;
    const auto value = number(t);
    if (!value) mismatch();
    return *value != 0.0;
}

} // namespace tabulant::ui
