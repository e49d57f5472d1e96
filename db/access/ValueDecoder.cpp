#include "ValueDecoder.h"

#include "LittleEndian.h"
#include "LongValueReader.h"
#include "TextDecoder.h"

#include "platform/CivilCalendar.h"

#include <cstdio>
#include <cstring>

namespace tabulant::db {

using platform::Variant;

namespace {

// A calculated value: 16 bytes of bookkeeping, the length of the result, then the result.
constexpr std::size_t CalculatedPrefix = 20;

bool digits(const std::uint8_t* p, std::size_t n, std::int64_t& value) {
    value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

} // namespace

platform::AdoType AdoTypeCode(const ColumnDef& c) {
    using namespace platform;
    switch (c.type) {
    case coltype::Boolean:
        return adBoolean;
    case coltype::Byte:
        return adUnsignedTinyInt;
    case coltype::Integer:
        return adSmallInt;
    case coltype::Long:
        return adInteger;
    case coltype::Money:
        return adCurrency;
    case coltype::Float:
        return adSingle;
    case coltype::Double:
        return adDouble;
    case coltype::DateTime:
        return adDate;
    case coltype::Binary:
        return c.fixed() ? adBinary : adVarBinary;
    case coltype::Text:
        return c.fixed() ? adWChar : adVarWChar;
    case coltype::Ole:
        return adLongVarBinary;
    case coltype::Memo:
        return adLongVarWChar;
    case coltype::Guid:
        return adGUID;
    case coltype::Numeric:
        return adNumeric;
    case coltype::Complex:
        return adLongVarWChar;
    case coltype::BigInt:
        return adBigInt;
    case coltype::ExtendedDate:
        return adVarWChar;
    default:
        return c.fixed() ? adBinary : adVarBinary;
    }
}

void ValueDecoder::AppendGuid(const std::uint8_t* p, std::string& out) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  le::u32(p), le::u16(p + 4), le::u16(p + 6), p[8], p[9], p[10], p[11], p[12],
                  p[13], p[14], p[15]);
    out += buffer;
}

bool ValueDecoder::AppendDecimal(const std::uint8_t* p, int scale, std::string& out) {
    if (scale < 0 || scale > 38) return false;
    unsigned __int128 v = 0;
    for (int w = 0; w < 4; ++w) v = (v << 32) | le::u32(p + 1 + 4 * w);
    char digitsBuf[48];
    int n = 0;
    do {
        digitsBuf[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    while (n <= scale) digitsBuf[n++] = '0';
    // Trailing zeros of the fraction carry no value; the canonical form drops them.
    int low = 0;
    while (low < scale && digitsBuf[low] == '0') ++low;
    const bool zero = n - 1 == scale && digitsBuf[n - 1] == '0' && low == scale;
    if ((p[0] & 0x80) != 0 && !zero) out += '-';
    for (int i = n - 1; i >= scale; --i) out += digitsBuf[i];
    if (low < scale) {
        out += '.';
        for (int i = scale - 1; i >= low; --i) out += digitsBuf[i];
    }
    return true;
}

bool ValueDecoder::AppendExtendedDate(const std::uint8_t* p, std::size_t size, std::string& out) {
    // 19 digits of days since 0001-01-01, ':', 12 digits of seconds in the day, 7 digits of
    // 100-nanosecond ticks, then the precision marker.
    std::int64_t days, seconds, ticks;
    if (size < 39 || !digits(p, 19, days) || p[19] != ':' || !digits(p + 20, 12, seconds) ||
        !digits(p + 32, 7, ticks) || days > 3652058 || seconds >= 86400)
        return false;
    const platform::CivilDate date = platform::CivilFromDays(days + platform::FirstCommonEraDay);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d:%02d",
                  static_cast<int>(date.year), date.month, date.day,
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    out += buffer;
    if (ticks != 0) {
        std::snprintf(buffer, sizeof buffer, ".%07d", static_cast<int>(ticks));
        std::string fraction(buffer);
        while (fraction.back() == '0') fraction.pop_back();
        out += fraction;
    }
    return true;
}

bool ValueDecoder::Decode(const ColumnDef& c, const std::uint8_t* data, std::size_t size,
                          Variant& out) {
    if (c.calculated() && (c.type == coltype::Memo || (c.type == coltype::Text && c.size == 0))) {
        // A long-text result: the prefix lies inside the long value.
        scratch_.clear();
        if (!longValues_.Read(data, size, scratch_)) return false;
        const auto* p = reinterpret_cast<const std::uint8_t*>(scratch_.data());
        if (scratch_.size() < CalculatedPrefix) return false;
        const std::size_t length = le::u32(p + 16);
        if (length > scratch_.size() - CalculatedPrefix) return false;
        text_.Append(p + CalculatedPrefix, length, out.resetPayload(Variant::Kind::Text));
        return true;
    }
    if (c.calculated()) {
        if (size < CalculatedPrefix) return false;
        const std::size_t length = le::u32(data + 16);
        if (length > size - CalculatedPrefix) return false;
        // An empty stored result: for text the expression gave the empty text (joining texts
        // with & never gives Null); for other types the result was never computed.
        if (length == 0) {
            if (c.type == coltype::Text)
                out.resetPayload(Variant::Kind::Text);
            else
                out.setNull();
            return true;
        }
        return decodeCalculated(c, data + CalculatedPrefix, length, out);
    }
    return decodeAs(c.type, c, data, size, out);
}

// Calculated values of the numeric result type: int16 length, scale, sign, then the magnitude,
// most significant part first: a 32-bit word when the size is not a multiple of 8, then 64-bit
// words, each little-endian.
bool ValueDecoder::appendCalculatedDecimal(const std::uint8_t* p, std::size_t n, std::string& out) {
    if (n < 8 || n > 20) return false;
    const std::size_t magnitude = (n - 4) / 4 * 4;
    const std::uint8_t* m = p + 4;
    std::uint32_t words[4] = {};
    std::size_t w = 4 - magnitude / 4; // the words of a 128-bit value, most significant first
    std::size_t at = 0;
    if (magnitude % 8 != 0) {
        words[w++] = le::u32(m);
        at = 4;
    }
    for (; at + 8 <= magnitude; at += 8) {
        words[w++] = le::u32(m + at + 4);
        words[w++] = le::u32(m + at);
    }
    std::uint8_t numeric[17] = {};
    numeric[0] = p[3] != 0 ? 0x80 : 0;
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b)
            numeric[1 + 4 * i + b] = static_cast<std::uint8_t>(words[i] >> (8 * b));
    return AppendDecimal(numeric, p[2], out);
}

// The type of a calculated value is its result type (taken from the table's properties); where
// those are missing, a 16-byte value can only be a decimal and a 1-byte value a Yes/No.
bool ValueDecoder::decodeCalculated(const ColumnDef& c, const std::uint8_t* p, std::size_t n,
                                    Variant& out) {
    if (c.type == coltype::Boolean || (n == 1 && c.type != coltype::Byte)) {
        out.setBoolean(n > 0 && p[0] != 0);
        return true;
    }
    if (c.type == coltype::Numeric || (n == 16 && c.type != coltype::Text))
        return appendCalculatedDecimal(p, n, out.resetPayload(Variant::Kind::Decimal));
    return decodeAs(c.type, c, p, n, out);
}

bool ValueDecoder::decodeAs(int type, const ColumnDef& c, const std::uint8_t* p, std::size_t n,
                            Variant& out) {
    auto need = [&](std::size_t k) { return n >= k; };
    switch (type) {
    case coltype::Boolean:
        out.setBoolean(n > 0 && p[0] != 0);
        return true;
    case coltype::Byte:
        if (!need(1)) return false;
        out.setInteger(p[0]);
        return true;
    case coltype::Integer:
        if (!need(2)) return false;
        out.setInteger(le::i16(p));
        return true;
    case coltype::Long:
        if (!need(4)) return false;
        out.setInteger(le::i32(p));
        return true;
    case coltype::BigInt:
        if (!need(8)) return false;
        out.setInteger(le::i64(p));
        return true;
    case coltype::Money:
        if (!need(8)) return false;
        out.setCurrency(le::i64(p));
        return true;
    case coltype::Float:
        if (!need(4)) return false;
        out.setSingle(le::f32(p));
        return true;
    case coltype::Double:
        if (!need(8)) return false;
        out.setDouble(le::f64(p));
        return true;
    case coltype::DateTime:
        if (!need(8)) return false;
        out.setDate(le::f64(p));
        return true;
    case coltype::Guid:
        if (!need(16)) return false;
        AppendGuid(p, out.resetPayload(Variant::Kind::Text));
        return true;
    case coltype::Numeric:
        if (!need(17)) return false;
        return AppendDecimal(p, c.scale, out.resetPayload(Variant::Kind::Decimal));
    case coltype::Text:
        text_.Append(p, n, out.resetPayload(Variant::Kind::Text));
        return true;
    case coltype::Memo:
        scratch_.clear();
        if (!longValues_.Read(p, n, scratch_)) return false;
        text_.Append(reinterpret_cast<const std::uint8_t*>(scratch_.data()), scratch_.size(),
                     out.resetPayload(Variant::Kind::Text));
        return true;
    case coltype::Ole:
        return longValues_.Read(p, n, out.resetPayload(Variant::Kind::Binary));
    case coltype::ExtendedDate: {
        std::string& s = out.resetPayload(Variant::Kind::Text);
        if (AppendExtendedDate(p, n, s)) return true;
        // Not the layout we know: keep the stored characters rather than lose them.
        s.clear();
        for (std::size_t i = 0; i < n && p[i] != 0; ++i) s += static_cast<char>(p[i] & 0x7F);
        return true;
    }
    default:
        out.resetPayload(Variant::Kind::Binary).assign(reinterpret_cast<const char*>(p), n);
        return true;
    }
}

} // namespace tabulant::db
