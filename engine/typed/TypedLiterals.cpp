#include "TypedLiterals.h"

#include "engine/CopyText.h"
#include "platform/CivilCalendar.h"
#include "platform/Hex.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tabulant::engine::typed {

using platform::Variant;

namespace {

template <class Number> void AppendNumber(std::string& out, Number n) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, n).ptr;
    out.append(buffer, end);
}

// Writes `value` with at least `width` digits.
void AppendPadded(std::string& out, std::int64_t value, int width) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    for (auto n = end - buffer; n < width; ++n) out += '0';
    out.append(buffer, end);
}

// Single and Double: the shortest text that reads back as the same value.
template <class Float> void AppendFloat(std::string& out, Float v) {
    if (std::isnan(v))
        out += "'NaN'";
    else if (std::isinf(v))
        out += v > 0 ? "'Infinity'" : "'-Infinity'";
    else
        AppendNumber(out, v);
}

void AppendCurrency(std::string& out, std::int64_t tenThousandths) {
    // The magnitude as unsigned, so that the most negative amount has one too.
    std::uint64_t magnitude = static_cast<std::uint64_t>(tenThousandths);
    if (tenThousandths < 0) {
        out += '-';
        magnitude = 0 - magnitude;
    }
    AppendNumber(out, magnitude / 10000);
    out += '.';
    AppendPadded(out, static_cast<std::int64_t>(magnitude % 10000), 4);
}

// An optional "-", digits, and optionally "." and digits: a literal the server reads as a
// number. Anything else from a source is written quoted, so the server refuses it as a number
// rather than read it as SQL.
bool IsDecimalText(std::string_view t) {
    std::size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
    const std::size_t digitsFrom = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    if (i == digitsFrom) return false;
    if (i == t.size()) return true;
    if (t[i] != '.') return false;
    const std::size_t fractionFrom = ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    return i == t.size() && i > fractionFrom;
}

constexpr std::int64_t MicrosecondsPerDay = 86'400'000'000;
// Far beyond PostgreSQL's last year (294276) and still exact in whole days.
constexpr double FarthestOleDay = 1e9;

// The time of day of an OLE date, in microseconds: the coarsest of whole seconds, tenths,
// hundredths, ... microseconds that gives back the same stored value, as the shortest form of a
// Double does. A date is a day count with the time as a binary fraction, whose last bits are
// noise beside the second or millisecond it was made from (nearer to 9999 a Double step is 40
// microseconds, so 23:59:59 would otherwise read 23:59:59.000005). A value no such time gives
// back is written to the nearest microsecond, PostgreSQL's finest.
std::int64_t TimeOfDay(double ole, std::int64_t day) {
    const long double fraction = std::fabs(static_cast<long double>(ole) - day);
    const long double perDay = MicrosecondsPerDay;
    std::int64_t step = 1'000'000;
    for (; step >= 1; step /= 10) {
        const std::int64_t micros = std::llround(fraction * perDay / step) * step;
        const long double time = micros / perDay;
        const auto back = static_cast<double>(ole < 0 ? day - time : day + time);
        if (back == ole) return micros;
    }
    return std::llround(fraction * perDay);
}

} // namespace

void AppendTimestampLiteral(std::string& out, double ole) {
    out += '\'';
    AppendTimestampText(out, ole);
    out += '\'';
}

void AppendTimestampText(std::string& out, double ole) {
    if (std::isnan(ole)) {
        out += "NaN";
        return;
    }
    if (std::isinf(ole)) {
        out += ole > 0 ? "infinity" : "-infinity";
        return;
    }
    if (std::fabs(ole) >= FarthestOleDay) {
        AppendNumber(out, ole);
        out += " days after 1899-12-30";
        return;
    }
    // The whole part counts days from 1899-12-30; the fraction's size is the time of day, also
    // for dates before it (-1.25 is 1899-12-29 06:00).
    std::int64_t day = static_cast<std::int64_t>(std::trunc(ole));
    std::int64_t micros = TimeOfDay(ole, day);
    if (micros >= MicrosecondsPerDay) {
        micros -= MicrosecondsPerDay;
        ++day;
    }
    const platform::CivilDate date = platform::CivilFromDays(day + platform::OleEpochDay);
    // PostgreSQL counts no year 0: 1 BC comes before 1 AD.
    const bool bc = date.year <= 0;
    AppendPadded(out, bc ? 1 - date.year : date.year, 4);
    out += '-';
    AppendPadded(out, date.month, 2);
    out += '-';
    AppendPadded(out, date.day, 2);
    out += ' ';
    const std::int64_t seconds = micros / 1'000'000;
    AppendPadded(out, seconds / 3600, 2);
    out += ':';
    AppendPadded(out, seconds / 60 % 60, 2);
    out += ':';
    AppendPadded(out, seconds % 60, 2);
    if (std::int64_t fraction = micros % 1'000'000; fraction != 0) {
        int digits = 6;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        out += '.';
        AppendPadded(out, fraction, digits);
    }
    if (bc) out += " BC";
}

void AppendTextLiteral(std::string& out, std::string_view text) {
    static constexpr std::string_view escaped("\\\r\n\0", 4);
    if (text.find_first_of(escaped) == std::string_view::npos) {
        out += '\'';
        for (std::size_t from = 0;;) {
            const std::size_t quote = text.find('\'', from);
            if (quote == std::string_view::npos) {
                out.append(text.substr(from));
                break;
            }
            out.append(text.substr(from, quote + 1 - from));
            out += '\'';
            from = quote + 1;
        }
        out += '\'';
        return;
    }
    out += "E'";
    for (const char c : text) {
        switch (c) {
        case '\'':
            out += "''";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\0':
            out += "\\000";
            break;
        default:
            out += c;
        }
    }
    out += '\'';
}

void AppendTypedLiteral(std::string& out, const Variant& v) {
    switch (v.kind()) {
    case Variant::Kind::Null:
        out += "NULL";
        return;
    case Variant::Kind::Boolean:
        out += v.asBoolean() ? "TRUE" : "FALSE";
        return;
    case Variant::Kind::Integer:
        AppendNumber(out, v.asInteger());
        return;
    case Variant::Kind::Single:
        AppendFloat(out, static_cast<float>(v.asDouble()));
        return;
    case Variant::Kind::Double:
        AppendFloat(out, v.asDouble());
        return;
    case Variant::Kind::Currency:
        AppendCurrency(out, v.asCurrency());
        return;
    case Variant::Kind::Decimal:
        if (IsDecimalText(v.payload()))
            out += v.payload();
        else
            AppendTextLiteral(out, v.payload());
        return;
    case Variant::Kind::Date:
        AppendTimestampLiteral(out, v.asDouble());
        return;
    case Variant::Kind::Text:
        AppendTextLiteral(out, v.payload());
        return;
    case Variant::Kind::Binary:
        out += "E'\\\\x";
        platform::AppendHex(v.payload(), out);
        out += "'::bytea";
        return;
    }
}

} // namespace tabulant::engine::typed

namespace tabulant::engine::typed {

namespace {

// How AppendTypedCopyField's fields are written as literals.
constexpr char NullForm = 'n';   // NULL
constexpr char BareForm = 'b';   // as the field stands: a number, TRUE, FALSE
constexpr char QuotedForm = 'q'; // a text literal of the field's value
constexpr char ByteaForm = 'x';  // a text literal of the field's value, then ::bytea

char AppendFloatField(std::string& out, double v, bool single) {
    if (std::isnan(v)) {
        out += "NaN";
        return QuotedForm;
    }
    if (std::isinf(v)) {
        out += v > 0 ? "Infinity" : "-Infinity";
        return QuotedForm;
    }
    if (single)
        AppendNumber(out, static_cast<float>(v));
    else
        AppendNumber(out, v);
    return BareForm;
}

} // namespace

char AppendTypedCopyField(std::string& out, const Variant& v) {
    switch (v.kind()) {
    case Variant::Kind::Null:
        out += "\\N";
        return NullForm;
    case Variant::Kind::Boolean:
        out += v.asBoolean() ? "TRUE" : "FALSE";
        return BareForm;
    case Variant::Kind::Integer:
        AppendNumber(out, v.asInteger());
        return BareForm;
    case Variant::Kind::Single:
        return AppendFloatField(out, v.asDouble(), true);
    case Variant::Kind::Double:
        return AppendFloatField(out, v.asDouble(), false);
    case Variant::Kind::Currency:
        AppendCurrency(out, v.asCurrency());
        return BareForm;
    case Variant::Kind::Decimal:
        if (!IsDecimalText(v.payload())) break;
        out += v.payload();
        return BareForm;
    case Variant::Kind::Date:
        AppendTimestampText(out, v.asDouble());
        return QuotedForm;
    case Variant::Kind::Text:
        break;
    case Variant::Kind::Binary:
        out += "\\\\x";
        platform::AppendHex(v.payload(), out);
        return ByteaForm;
    }
    AppendCopyField(out, v.payload());
    return QuotedForm;
}

void AppendTypedStatement(std::string& out, std::string_view into, std::string_view line,
                          std::string_view forms) {
    out += into;
    out += " VALUES (";
    std::string value;
    std::size_t at = 0;
    for (std::size_t k = 0; k < forms.size(); ++k) {
        if (k > 0) out += ", ";
        const std::size_t end = std::min(line.find_first_of("\t\n", at), line.size());
        const std::string_view field = line.substr(at, end - at);
        at = end + 1;
        switch (forms[k]) {
        case NullForm:
            out += "NULL";
            break;
        case BareForm:
            out += field;
            break;
        default:
            value.clear();
            AppendCopyFieldValue(value, field);
            AppendTextLiteral(out, value);
            if (forms[k] == ByteaForm) out += "::bytea";
        }
    }
    out += ");";
}

} // namespace tabulant::engine::typed
