#include "ServerText.h"

#include "platform/AsciiText.h"
#include "platform/Hex.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tabulant::engine::verify {

namespace {

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

std::string_view trimmed(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

void appendBoolean(std::string& out, std::string_view t) {
    t = trimmed(t);
    const bool yes = platform::EqualsNoCase(t, "true") || platform::EqualsNoCase(t, "t") ||
                     platform::EqualsNoCase(t, "yes") || platform::EqualsNoCase(t, "y") ||
                     platform::EqualsNoCase(t, "on") || t == "1";
    out += yes ? "true" : "false";
}

void appendUuid(std::string& out, std::string_view t) {
    char hex[32];
    std::size_t n = 0;
    for (const char c : t) {
        if (c == '{' || c == '}' || c == '-') continue;
        if (platform::HexValue(c) < 0 || n == 32) {
            out.append(t);
            return;
        }
        hex[n++] = platform::AsciiLower(c);
    }
    if (n != 32) {
        out.append(t);
        return;
    }
    for (std::size_t i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) out += '-';
        out += hex[i];
    }
}

// A zero is shown without its sign: written bare, the literal is a number first, which knows no
// negative zero, while COPY keeps the sign, so the server's sums ignore it (ServerQuery.h).
bool appendFloatLiteral(std::string& out, std::string_view t, bool single) {
    t = trimmed(t);
    if (platform::EqualsNoCase(t, "nan")) {
        out += "NaN";
        return true;
    }
    if (platform::EqualsNoCase(t, "infinity") || platform::EqualsNoCase(t, "+infinity") ||
        platform::EqualsNoCase(t, "inf")) {
        out += "Infinity";
        return true;
    }
    if (platform::EqualsNoCase(t, "-infinity") || platform::EqualsNoCase(t, "-inf")) {
        out += "-Infinity";
        return true;
    }
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty()) return false;
    if (single) {
        float f = 0;
        std::from_chars(t.data(), t.data() + t.size(), f);
        value = f;
    }
    if (value == 0) value = 0;
    AppendFloatText(out, value, single);
    return true;
}

// The literal's text as the server reads it, before the column's type has its say. An escape
// the server refuses leaves the text short: such a row never arrived.
void appendPlain(std::string& out, const Literal& literal) { AppendLiteralText(out, literal); }

} // namespace

ColumnForm FormOfType(std::string_view type) {
    if (type == "boolean") return {TextForm::Boolean};
    if (type == "smallint" || type == "integer" || type == "bigint") return {TextForm::Whole, 0};
    if (type == "real") return {TextForm::Real};
    if (type == "double precision") return {TextForm::Double};
    if (type == "uuid") return {TextForm::Uuid};
    if (type == "bytea") return {TextForm::Bytea};
    if (startsWith(type, "timestamp without time zone") || startsWith(type, "timestamp("))
        return {TextForm::Timestamp};
    if (startsWith(type, "numeric")) {
        ColumnForm form{TextForm::Numeric};
        if (const auto comma = type.find(','); comma != std::string_view::npos) {
            int scale = 0;
            const auto [p, ec] =
                std::from_chars(type.data() + comma + 1, type.data() + type.size(), scale);
            if (ec == std::errc() && p != type.data() + comma + 1) form.scale = scale;
        } else if (type.find('(') != std::string_view::npos) {
            form.scale = 0; // numeric(p) keeps no digits after the point
        }
        return form;
    }
    return {TextForm::Text};
}

bool AppendServerText(std::string& out, const Literal& literal, ColumnForm form) {
    if (literal.kind == Literal::Kind::Null) return false;
    const std::size_t at = out.size();
    const bool bare = literal.kind == Literal::Kind::Bare;
    switch (form.form) {
    case TextForm::Boolean:
        appendBoolean(out, literal.text);
        return true;
    case TextForm::Whole:
    case TextForm::Numeric: {
        if (bare || !literal.escapes) {
            const std::string_view t = trimmed(literal.text);
            if (platform::EqualsNoCase(t, "nan")) {
                out += "NaN";
                return true;
            }
            if (platform::EqualsNoCase(t, "infinity") || platform::EqualsNoCase(t, "-infinity")) {
                out += t.front() == '-' ? "-Infinity" : "Infinity";
                return true;
            }
            if (AppendNumericText(out, t, form.scale)) return true;
        }
        break;
    }
    case TextForm::Real:
    case TextForm::Double:
        if ((bare || !literal.escapes) &&
            appendFloatLiteral(out, literal.text, form.form == TextForm::Real))
            return true;
        break;
    case TextForm::Uuid: {
        std::string body;
        appendPlain(body, literal);
        appendUuid(out, body);
        return true;
    }
    case TextForm::Timestamp:
        appendPlain(out, literal);
        if (platform::EqualsNoCase(out.substr(at), "infinity") ||
            platform::EqualsNoCase(out.substr(at), "-infinity"))
            std::transform(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(),
                           out.begin() + static_cast<std::ptrdiff_t>(at), platform::AsciiLower);
        return true;
    case TextForm::Text:
    case TextForm::Bytea:
        if (bare) {
            // A bare value in a text column is read as the constant it spells.
            if (platform::EqualsNoCase(literal.text, "true") ||
                platform::EqualsNoCase(literal.text, "false")) {
                out += platform::AsciiLower(literal.text.front()) == 't' ? "true" : "false";
                return true;
            }
            if (AppendNumericText(out, literal.text, -1)) return true;
        }
        break;
    }
    out.resize(at);
    appendPlain(out, literal);
    return true;
}

namespace {

// A number already in the server's own form at the wanted scale (no sign but a needed "-", no
// leading zero, no exponent, not a negative zero): the common case, copied as it is.
bool appendCanonical(std::string& out, std::string_view t, int scale) {
    std::size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
    const std::size_t digitsFrom = i;
    bool nonZero = false;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) nonZero |= t[i] != '0';
    const std::size_t whole = i - digitsFrom;
    if (whole == 0 || (whole > 1 && t[digitsFrom] == '0')) return false;
    std::size_t fraction = 0;
    if (i < t.size()) {
        if (t[i] != '.') return false;
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++fraction)
            nonZero |= t[i] != '0';
        if (fraction == 0 || i != t.size()) return false;
    }
    if (scale >= 0 && fraction != static_cast<std::size_t>(scale)) return false;
    if (digitsFrom == 1 && !nonZero) return false;
    out.append(t);
    return true;
}

} // namespace

bool AppendNumericText(std::string& out, std::string_view t, int scale) {
    t = trimmed(t);
    if (appendCanonical(out, t, scale)) return true;
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    // The digits without the point, and how many of them lie after it.
    std::string digits;
    std::size_t i = 0;
    long fraction = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digits += c;
            if (point) ++fraction;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return false;
    long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        const char* first = t.data() + i + 1;
        if (first < t.data() + t.size() && *first == '+') ++first;
        const auto [p, ec] = std::from_chars(first, t.data() + t.size(), exponent);
        if (ec != std::errc() || p == first) return false;
        i = static_cast<std::size_t>(p - t.data());
    }
    if (i != t.size() || exponent > 100000 || exponent < -100000) return false;

    // The value is digits × 10^-own; the server keeps no negative scale.
    long own = fraction - exponent;
    if (own < 0) {
        digits.append(static_cast<std::size_t>(-own), '0');
        own = 0;
    }
    const long wanted = scale >= 0 ? scale : own;
    if (wanted < own) {
        const std::size_t keep = digits.size() - static_cast<std::size_t>(own - wanted);
        const bool up = keep < digits.size() && digits[keep] >= '5';
        digits.resize(keep);
        if (up) {
            std::size_t k = digits.size();
            while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
            if (k == 0)
                digits.insert(digits.begin(), '1');
            else
                ++digits[k - 1];
        }
    } else {
        digits.append(static_cast<std::size_t>(wanted - own), '0');
    }
    if (digits.size() <= static_cast<std::size_t>(wanted))
        digits.insert(0, static_cast<std::size_t>(wanted) + 1 - digits.size(), '0');
    const std::size_t whole = digits.size() - static_cast<std::size_t>(wanted);
    std::size_t first = 0;
    while (first + 1 < whole && digits[first] == '0') ++first;
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    if (negative && !zero) out += '-';
    out.append(digits, first, whole - first);
    if (wanted > 0) out.append(1, '.').append(digits, whole, std::string::npos);
    return true;
}

void AppendFloatText(std::string& out, double value, bool single) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value > 0 ? "Infinity" : "-Infinity";
        return;
    }
    char buffer[64];
    const auto end =
        single ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                               std::chars_format::scientific)
                     .ptr
               : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific)
                     .ptr;
    // "-d.ddde±x": the significant digits and the power of ten of the first one.
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    if (text.front() == '-') {
        out += '-';
        text.remove_prefix(1);
    }
    const std::size_t e = text.find('e');
    char digits[32];
    std::size_t count = 0;
    for (const char c : text.substr(0, e))
        if (c != '.') digits[count++] = c;
    int exponent = 0;
    const char* from = text.data() + e + 1;
    if (*from == '+') ++from;
    std::from_chars(from, text.data() + text.size(), exponent);

    // Written out in full as printf's %g would at the type's precision (15 or 6 digits).
    const int limit = single ? 6 : 15;
    if (exponent >= -4 && exponent < limit) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out.append(digits, count);
            return;
        }
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (count <= whole) {
            out.append(digits, count);
            out.append(whole - count, '0');
            return;
        }
        out.append(digits, whole).append(1, '.').append(digits + whole, count - whole);
        return;
    }
    out += digits[0];
    if (count > 1) out.append(1, '.').append(digits + 1, count - 1);
    out += exponent < 0 ? "e-" : "e+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
}

} // namespace tabulant::engine::verify
