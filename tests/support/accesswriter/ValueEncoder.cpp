#include "ValueEncoder.h"

#include "TextCodec.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tabulant::accesswriter {

using platform::Variant;
using Kind = platform::Variant::Kind;

namespace {

int fixedSize(ColumnType t) {
    switch (t) {
    case ColumnType::Boolean:
        return 0;
    case ColumnType::Byte:
        return 1;
    case ColumnType::Integer:
        return 2;
    case ColumnType::Long:
    case ColumnType::Single:
    case ColumnType::Complex:
        return 4;
    case ColumnType::Currency:
    case ColumnType::Double:
    case ColumnType::DateTime:
    case ColumnType::LargeNumber:
        return 8;
    case ColumnType::Guid:
        return 16;
    case ColumnType::Decimal:
        return 17;
    case ColumnType::DateTimeExtended:
        return 42;
    default:
        return -1;
    }
}

[[noreturn]] void misfit(const ColumnLayout& c, const std::string& why) {
    throw AccessWriterError("column \"" + c.def.name + "\": " + why);
}

std::int64_t integerOf(const ColumnLayout& c, const Variant& v) {
    if (v.kind() == Kind::Integer || v.kind() == Kind::Boolean) return v.asInteger();
    misfit(c, "expects a whole number");
}

double realOf(const ColumnLayout& c, const Variant& v) {
    switch (v.kind()) {
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
        return v.asDouble();
    case Kind::Integer:
        return static_cast<double>(v.asInteger());
    default:
        misfit(c, "expects a number");
    }
}

void checkRange(const ColumnLayout& c, std::int64_t x, std::int64_t lo, std::int64_t hi) {
    if (x < lo || x > hi) misfit(c, std::to_string(x) + " is out of range");
}

Bytes little(std::uint64_t x, int n) {
    Bytes b(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x >> (8 * i));
    return b;
}

Bytes doubleBytes(double d) {
    Bytes b;
    appendDouble(b, d);
    return b;
}

int hexDigit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

// Days from 0001-01-01 in the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 306; // day 0 = 0001-01-01
}

Bytes textBytes(const ColumnLayout& c, const Variant& v, const FormatLayout& layout,
                std::uint16_t codePage, bool mayCompress) {
    if (v.kind() != Kind::Text) misfit(c, "expects text");
    if (layout.jet3) return codePageBytes(v.payload(), codePage);
    const std::u16string units = utf16FromUtf8(v.payload());
    if (mayCompress) {
        Bytes packed = compressedUnicode(units);
        if (!packed.empty()) return packed;
    }
    return ucs2Bytes(units);
}

} // namespace

void describeColumn(ColumnLayout& c, const FormatLayout& layout) {
    const Column& d = c.def;
    const int fixedLen = fixedSize(d.type);
    const int unit = layout.jet3 ? 1 : 2;
    c.longValue = d.type == ColumnType::Memo || d.type == ColumnType::Ole;
    if (fixedLen >= 0) {
        c.fixed = true;
        c.length = static_cast<std::uint16_t>(fixedLen);
    } else if (d.type == ColumnType::Text) {
        const int chars = d.size > 0 ? d.size : 255;
        if (chars > 255) misfit(c, "text columns hold at most 255 characters");
        c.fixed = d.fixedLength;
        c.length = static_cast<std::uint16_t>(chars * unit);
    } else if (d.type == ColumnType::Binary) {
        const int bytes = d.size > 0 ? d.size : 255;
        if (bytes > 510) misfit(c, "binary columns hold at most 510 bytes");
        c.fixed = d.fixedLength;
        c.length = static_cast<std::uint16_t>(bytes);
    } else if (c.longValue) {
        c.length = 0;
    } else {
        misfit(c, "unknown column type");
    }
    c.inNullMask = d.type == ColumnType::Boolean && !d.calculated;
    if (d.type == ColumnType::Complex && layout.jet3) misfit(c, "complex columns need an ACE file");
    if (d.calculated) {
        if (layout.jet3) misfit(c, "calculated columns need an ACE file");
        if (d.type == ColumnType::Decimal)
            misfit(c, "calculated Decimal columns are not supported");
        c.fixed = false;
        if (fixedLen >= 0)
            c.length = 39;
        else if (d.type == ColumnType::Text)
            c.length = static_cast<std::uint16_t>(c.length + 23);
    }
    c.flags = c.fixed ? 0x03 : 0x02;
    // Access marks the key of a complex column as generated, like an AutoNumber.
    if (d.autoNumber || d.type == ColumnType::Complex)
        c.flags |= d.type == ColumnType::Guid ? 0x40 : 0x04;
    if (d.hyperlink) c.flags |= 0x80;
    c.extFlags = 0;
    // Fixed-length text keeps its full width, so it is never stored compressed.
    if (!layout.jet3 && d.compressedText && !c.fixed &&
        (d.type == ColumnType::Text || d.type == ColumnType::Memo))
        c.extFlags |= 0x01;
    if (d.calculated) c.extFlags |= 0xC0;
}

Bytes encodeValue(const ColumnLayout& c, const Variant& v, const FormatLayout& layout,
                  std::uint16_t codePage) {
    const Column& d = c.def;
    const int natural = fixedSize(d.type);
    if (v.kind() == Kind::Binary && d.type != ColumnType::Binary) {
        const std::size_t want = natural >= 0 ? static_cast<std::size_t>(natural)
                                 : c.fixed    ? c.length
                                              : v.payload().size();
        if (v.payload().size() != want)
            misfit(c, "raw value must be " + std::to_string(want) + " bytes long");
        return Bytes(v.payload().begin(), v.payload().end());
    }
    switch (d.type) {
    case ColumnType::Boolean:
        return Bytes{static_cast<std::uint8_t>(integerOf(c, v) != 0 ? 0xFF : 0x00)};
    case ColumnType::Byte: {
        const std::int64_t x = integerOf(c, v);
        checkRange(c, x, 0, 255);
        return little(static_cast<std::uint64_t>(x), 1);
    }
    case ColumnType::Integer: {
        const std::int64_t x = integerOf(c, v);
        checkRange(c, x, -32768, 32767);
        return little(static_cast<std::uint64_t>(x), 2);
    }
    case ColumnType::Long:
    case ColumnType::Complex: {
        const std::int64_t x = integerOf(c, v);
        checkRange(c, x, std::numeric_limits<std::int32_t>::min(),
                   std::numeric_limits<std::int32_t>::max());
        return little(static_cast<std::uint64_t>(x), 4);
    }
    case ColumnType::LargeNumber:
        return little(static_cast<std::uint64_t>(integerOf(c, v)), 8);
    case ColumnType::Currency: {
        std::int64_t units = 0;
        if (v.kind() == Kind::Currency) {
            units = v.asCurrency();
        } else if (v.kind() == Kind::Integer) {
            if (v.asInteger() > INT64_MAX / 10000 || v.asInteger() < INT64_MIN / 10000)
                misfit(c, "currency out of range");
            units = v.asInteger() * 10000;
        } else {
            misfit(c, "expects a currency value");
        }
        return little(static_cast<std::uint64_t>(units), 8);
    }
    case ColumnType::Single: {
        const double d = realOf(c, v);
        if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
            misfit(c, "value out of range for Single");
        const float f = static_cast<float>(d);
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return little(u, 4);
    }
    case ColumnType::Double:
    case ColumnType::DateTime:
        return doubleBytes(realOf(c, v));
    case ColumnType::Guid:
        if (v.kind() != Kind::Text) misfit(c, "expects a GUID text");
        return guidBytes(v.payload());
    case ColumnType::Decimal: {
        std::string text;
        if (v.kind() == Kind::Decimal || v.kind() == Kind::Text)
            text = v.payload();
        else if (v.kind() == Kind::Integer)
            text = std::to_string(v.asInteger());
        else
            misfit(c, "expects a decimal text");
        try {
            return decimalBytes(text, d.precision, d.scale);
        } catch (const AccessWriterError& e) {
            misfit(c, e.what());
        }
    }
    case ColumnType::DateTimeExtended:
        if (v.kind() != Kind::Text) misfit(c, "expects a date text");
        return extendedDateBytes(v.payload());
    case ColumnType::Text: {
        if (v.kind() == Kind::Binary) return Bytes(v.payload().begin(), v.payload().end());
        const std::size_t maxChars =
            layout.jet3 ? c.length : (c.length - (d.calculated ? 23u : 0u)) / 2u;
        Bytes b =
            textBytes(c, v, layout, codePage, (c.extFlags & 0x01) && !c.fixed && !d.calculated);
        const std::size_t chars = layout.jet3 ? b.size() : utf16FromUtf8(v.payload()).size();
        if (chars > maxChars)
            misfit(c, "text longer than " + std::to_string(maxChars) + " characters");
        if (c.fixed) {
            while (b.size() < c.length) {
                b.push_back(0x20);
                if (!layout.jet3) b.push_back(0x00);
            }
        }
        return b;
    }
    case ColumnType::Binary: {
        if (v.kind() != Kind::Binary && v.kind() != Kind::Text) misfit(c, "expects bytes");
        Bytes b(v.payload().begin(), v.payload().end());
        if (b.size() > c.length)
            misfit(c, "binary value longer than " + std::to_string(c.length) + " bytes");
        if (c.fixed) b.resize(c.length, 0);
        return b;
    }
    case ColumnType::Memo:
    case ColumnType::Ole:
        return encodeLongValue(c, v, layout, codePage);
    }
    misfit(c, "unknown column type");
}

Bytes encodeLongValue(const ColumnLayout& c, const Variant& v, const FormatLayout& layout,
                      std::uint16_t codePage) {
    if (v.kind() == Kind::Binary || c.def.type == ColumnType::Ole) {
        if (v.kind() != Kind::Binary && v.kind() != Kind::Text) misfit(c, "expects bytes");
        return Bytes(v.payload().begin(), v.payload().end());
    }
    if (v.kind() != Kind::Text) misfit(c, "expects text");
    if (layout.jet3) return codePageBytes(v.payload(), codePage);
    // Memos are compressed only while short; longer ones are always stored as plain UCS-2.
    const std::u16string units = utf16FromUtf8(v.payload());
    if ((c.extFlags & 0x01) && !c.def.calculated && units.size() <= 1024) {
        Bytes packed = compressedUnicode(units);
        if (!packed.empty()) return packed;
    }
    return ucs2Bytes(units);
}

double oleDate(int year, int month, int day, int hour, int minute, double second) {
    const std::int64_t days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        daysFromCivil(1899, 12, 30);
    const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    // Negative dates keep the time of day as a positive fraction: -1.25 is 1899-12-29 06:00.
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

Bytes wrapCalculated(const Bytes& data) {
    Bytes b(20 + data.size() + 3, 0);
    put32(&b[16], static_cast<std::uint32_t>(data.size()));
    std::copy(data.begin(), data.end(), b.begin() + 20);
    return b;
}

Bytes guidBytes(const std::string& text) {
    std::string hex;
    for (char ch : text) {
        if (ch == '{' || ch == '}' || ch == '-') continue;
        if (hexDigit(ch) < 0) throw AccessWriterError("malformed GUID: " + text);
        hex.push_back(ch);
    }
    if (hex.size() != 32) throw AccessWriterError("malformed GUID: " + text);
    std::uint8_t raw[16];
    for (int i = 0; i < 16; ++i)
        raw[i] = static_cast<std::uint8_t>(hexDigit(hex[2 * i]) * 16 + hexDigit(hex[2 * i + 1]));
    // The first three groups are stored little-endian, the last eight bytes as written.
    return Bytes{raw[3], raw[2], raw[1],  raw[0],  raw[5],  raw[4],  raw[7],  raw[6],
                 raw[8], raw[9], raw[10], raw[11], raw[12], raw[13], raw[14], raw[15]};
}

Bytes decimalBytes(const std::string& text, int precision, int scale) {
    if (precision < 1 || precision > 28 || scale < 0 || scale > precision)
        throw AccessWriterError("decimal precision/scale out of range");
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::string intPart;
    std::string fracPart;
    bool dot = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '.' && !dot) {
            dot = true;
        } else if (ch >= '0' && ch <= '9') {
            (dot ? fracPart : intPart).push_back(ch);
        } else {
            throw AccessWriterError("malformed decimal: " + text);
        }
    }
    if (intPart.empty() && fracPart.empty()) throw AccessWriterError("malformed decimal: " + text);
    while (fracPart.size() > static_cast<std::size_t>(scale)) {
        if (fracPart.back() != '0')
            throw AccessWriterError("decimal " + text + " has more than " + std::to_string(scale) +
                                    " decimals");
        fracPart.pop_back();
    }
    fracPart.append(static_cast<std::size_t>(scale) - fracPart.size(), '0');
    std::string digits = intPart + fracPart;
    const std::size_t nonZero = digits.find_first_not_of('0');
    digits = nonZero == std::string::npos ? std::string() : digits.substr(nonZero);
    if (digits.size() > static_cast<std::size_t>(precision))
        throw AccessWriterError("decimal " + text + " exceeds precision " +
                                std::to_string(precision));
    unsigned __int128 value = 0;
    for (char ch : digits) value = value * 10 + static_cast<unsigned>(ch - '0');
    Bytes b{static_cast<std::uint8_t>(negative && !digits.empty() ? 0x80 : 0x00)};
    // Four 32-bit words, most significant first, each little-endian.
    for (int w = 3; w >= 0; --w) append32(b, static_cast<std::uint32_t>(value >> (32 * w)));
    return b;
}

Bytes extendedDateBytes(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char frac[8] = "0000000";
    int consumed = 0;
    const int n = std::sscanf(text.c_str(), "%d-%d-%d%n", &y, &mo, &d, &consumed);
    if (n != 3) throw AccessWriterError("malformed extended date: " + text);
    std::size_t pos = static_cast<std::size_t>(consumed);
    if (pos < text.size()) {
        int more = 0;
        if (std::sscanf(text.c_str() + pos, " %d:%d:%d%n", &h, &mi, &s, &more) != 3)
            throw AccessWriterError("malformed extended date: " + text);
        pos += static_cast<std::size_t>(more);
        if (pos < text.size() && text[pos] == '.') {
            std::size_t k = 0;
            for (++pos;
                 pos < text.size() && k < 7 && std::isdigit(static_cast<unsigned char>(text[pos]));
                 ++pos)
                frac[k++] = text[pos];
        }
        if (pos != text.size()) throw AccessWriterError("malformed extended date: " + text);
    }
    if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 ||
        h < 0 || mi < 0 || s < 0)
        throw AccessWriterError("extended date out of range: " + text);
    const std::int64_t days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%019lld:%012d%s:7", static_cast<long long>(days),
                  h * 3600 + mi * 60 + s, frac);
    Bytes b(buf, buf + std::strlen(buf));
    b.push_back(0);
    if (b.size() != 42)
        throw AccessWriterError("internal: extended date encoding has the wrong length");
    return b;
}

} // namespace tabulant::accesswriter
