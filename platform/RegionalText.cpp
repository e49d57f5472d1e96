#include "RegionalText.h"

#include "Hex.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tabulant::platform {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

template <typename Int> void appendInteger(Int value, std::string& out) {
    std::array<char, 24> buf;
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), r.ptr);
}

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

} // namespace

RegionalText::RegionalText(Conventions conventions) : c_(std::move(conventions)) {}

std::string RegionalText::Text(const Variant& v) const {
    std::string s;
    AppendText(v, s);
    return s;
}

void RegionalText::AppendText(const Variant& value, std::string& out) const {
    switch (value.kind()) {
    case Variant::Kind::Null:
        return;
    case Variant::Kind::Boolean:
        out += value.asBoolean() ? "True" : "False";
        return;
    case Variant::Kind::Integer:
        appendInteger(value.asInteger(), out);
        return;
    case Variant::Kind::Single:
        appendNumber(value.asDouble(), 7, out);
        return;
    case Variant::Kind::Double:
        appendNumber(value.asDouble(), 15, out);
        return;
    case Variant::Kind::Currency: {
        const std::int64_t v = value.asCurrency();
        // Through unsigned arithmetic so that the most negative amount has a magnitude too.
        const std::uint64_t magnitude =
            v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        if (v < 0) out += '-';
        appendInteger(magnitude / 10000, out);
        std::uint64_t fraction = magnitude % 10000;
        if (fraction != 0) {
            out += c_.decimalSeparator;
            char digits[4];
            for (int i = 3; i >= 0; --i) {
                digits[i] = static_cast<char>('0' + fraction % 10);
                fraction /= 10;
            }
            int n = 4;
            while (digits[n - 1] == '0') --n;
            out.append(digits, static_cast<std::size_t>(n));
        }
        return;
    }
    case Variant::Kind::Decimal:
        appendExact(value.payload(), out);
        return;
    case Variant::Kind::Date:
        appendDateValue(value.asDouble(), out);
        return;
    case Variant::Kind::Text:
        out += value.payload();
        return;
    case Variant::Kind::Binary:
        out += "\\x";
        AppendHex(value.payload(), out);
        return;
    }
}

// The general number form with the given number of significant digits: fixed notation while the
// decimal exponent lies in [-4, digits), otherwise mantissa, "E", sign and at least two exponent
// digits; trailing zeros dropped. to_chars with a precision gives exactly that, in lower case and
// independent of the C locale.
void RegionalText::appendNumber(double value, int digits, std::string& out) const {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-Infinity" : "Infinity";
        return;
    }
    std::array<char, 40> buf;
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                 std::chars_format::general, digits);
    std::string_view text(buf.data(), static_cast<std::size_t>(r.ptr - buf.data()));
    // A negative value that rounds to zero digits is written as plain zero.
    if (text.front() == '-' && text.find_first_not_of("0.", 1) == std::string_view::npos &&
        text.find('e') == std::string_view::npos)
        text.remove_prefix(1);
    for (char c : text) {
        if (c == '.')
            out += c_.decimalSeparator;
        else
            out += c == 'e' ? 'E' : c;
    }
}

// An exact decimal payload: optional '-', digits, optional '.' and digits.
void RegionalText::appendExact(std::string_view digits, std::string& out) const {
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    std::string_view whole = digits;
    std::string_view fraction;
    if (const auto dot = digits.find('.'); dot != std::string_view::npos) {
        whole = digits.substr(0, dot);
        fraction = digits.substr(dot + 1);
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    while (whole.size() > 1 && whole.front() == '0') whole.remove_prefix(1);
    const bool zero = whole.find_first_not_of('0') == std::string_view::npos && fraction.empty();
    if (negative && !zero) out += '-';
    if (whole.empty())
        out += '0';
    else
        out += whole;
    if (!fraction.empty()) {
        out += c_.decimalSeparator;
        out += fraction;
    }
}

bool RegionalText::IsNumeric(std::string_view text) const {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t wholeStart = i;
    i = skipDigits(text, i);
    std::size_t mantissaDigits = i - wholeStart;
    const std::string_view sep = c_.decimalSeparator;
    if (!sep.empty() && text.substr(i).starts_with(sep)) {
        i += sep.size();
        const std::size_t fractionStart = i;
        i = skipDigits(text, i);
        mantissaDigits += i - fractionStart;
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t exponentStart = i;
        i = skipDigits(text, i);
        if (i == exponentStart) return false;
    }
    return i == text.size();
}

bool RegionalText::IsDate(std::string_view text) const { return ReadDate(text).has_value(); }

} // namespace tabulant::platform
