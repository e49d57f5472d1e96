#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulant::platform {

// The value of one field of one row, as a data-access provider delivers it. Null is a value of
// its own (never the same as an empty text). Text, Decimal and Binary keep their payload in one
// string whose capacity is reused from row to row, so a cursor that assigns into the same Variant
// for every row allocates nothing once the longest value has been seen.
class Variant {
public:
    enum class Kind : std::uint8_t {
        Null,
        Boolean,
        Integer, // any whole number up to 64 bits
        Single,  // a 32-bit float, kept as double; its text form has 7 significant digits
        Double,
        Currency, // a whole number of ten-thousandths
        Decimal,  // exact decimal, canonical text: optional '-', digits, optional '.' and digits
        Date,     // days since 1899-12-30, time of day as the fraction (OLE automation date)
        Text,     // UTF-8
        Binary,   // raw bytes
    };

    Variant() = default;

    static Variant null() { return {}; }
    static Variant boolean(bool v) {
        Variant x;
        x.setBoolean(v);
        return x;
    }
    static Variant integer(std::int64_t v) {
        Variant x;
        x.setInteger(v);
        return x;
    }
    static Variant single(float v) {
        Variant x;
        x.setSingle(v);
        return x;
    }
    static Variant real(double v) {
        Variant x;
        x.setDouble(v);
        return x;
    }
    static Variant currency(std::int64_t tenThousandths) {
        Variant x;
        x.setCurrency(tenThousandths);
        return x;
    }
    static Variant decimal(std::string_view canonical) {
        Variant x;
        x.setDecimal(canonical);
        return x;
    }
    static Variant date(double oleDate) {
        Variant x;
        x.setDate(oleDate);
        return x;
    }
    static Variant text(std::string_view utf8) {
        Variant x;
        x.setText(utf8);
        return x;
    }
    static Variant binary(std::string_view bytes) {
        Variant x;
        x.setBinary(bytes);
        return x;
    }

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }

    bool asBoolean() const { return i_ != 0; }
    std::int64_t asInteger() const { return i_; }
    std::int64_t asCurrency() const { return i_; }
    double asDouble() const { return d_; }            // Single, Double and Date
    const std::string& payload() const { return s_; } // Text, Decimal and Binary

    void setNull() { kind_ = Kind::Null; }
    void setBoolean(bool v) {
        kind_ = Kind::Boolean;
        i_ = v ? 1 : 0;
    }
    void setInteger(std::int64_t v) {
        kind_ = Kind::Integer;
        i_ = v;
    }
    void setSingle(float v) {
        kind_ = Kind::Single;
        d_ = v;
    }
    void setDouble(double v) {
        kind_ = Kind::Double;
        d_ = v;
    }
    void setCurrency(std::int64_t v) {
        kind_ = Kind::Currency;
        i_ = v;
    }
    void setDate(double v) {
        kind_ = Kind::Date;
        d_ = v;
    }
    void setDecimal(std::string_view v) {
        kind_ = Kind::Decimal;
        s_.assign(v);
    }
    void setText(std::string_view v) {
        kind_ = Kind::Text;
        s_.assign(v);
    }
    void setBinary(std::string_view v) {
        kind_ = Kind::Binary;
        s_.assign(v);
    }
    // For decoders that build the text in place: the payload, emptied, with the given kind.
    std::string& resetPayload(Kind k) {
        kind_ = k;
        s_.clear();
        return s_;
    }

    friend bool operator==(const Variant& a, const Variant& b);

private:
    Kind kind_ = Kind::Null;
    std::int64_t i_ = 0;
    double d_ = 0;
    std::string s_;
};

} // namespace tabulant::platform
