#pragma once

#include "platform/Utf8.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tabulant::platform {

// UTF-16 beside the program's UTF-8: the texts of Access files, of the wide ODBC calls and of the
// Office password hashes. `Units` is any container of 16-bit code units with push_back
// (std::u16string, std::vector<SQLWCHAR>).

// Appends the UTF-16 form of one code point: a surrogate pair above U+FFFF.
template <class Units> void AppendUtf16(char32_t codePoint, Units& out) {
    using Unit = typename Units::value_type;
    if (codePoint < 0x10000) {
        out.push_back(static_cast<Unit>(codePoint));
    } else {
        out.push_back(static_cast<Unit>(0xD800 + ((codePoint - 0x10000) >> 10)));
        out.push_back(static_cast<Unit>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
    }
}

// Appends the UTF-16 form of a UTF-8 text; each byte of a malformed sequence becomes U+FFFD.
template <class Units> void AppendUtf16(std::string_view utf8, Units& out) {
    using Unit = typename Units::value_type;
    for (std::size_t i = 0; i < utf8.size();) {
        // Plain ASCII runs are the bulk of every statement.
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<Unit>(c));
            ++i;
        } else {
            AppendUtf16(DecodeUtf8(utf8, i), out);
        }
    }
}

// The UTF-16 form of a UTF-8 text; no value when the text is not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// Joins UTF-16 code units, given one at a time, into UTF-8: a surrogate pair becomes one
// character, a lone surrogate U+FFFD. Finish (or the destructor) ends the text, so that a high
// surrogate left at its end is written too. Writes into a string the caller keeps.
class Utf16Joiner {
public:
    explicit Utf16Joiner(std::string& out) : out_(out) {}
    ~Utf16Joiner() { Finish(); }
    Utf16Joiner(const Utf16Joiner&) = delete;
    Utf16Joiner& operator=(const Utf16Joiner&) = delete;

    void Put(char16_t unit) {
        if (unit < 0x80 && high_ == 0) {
            out_ += static_cast<char>(unit);
        } else if (unit >= 0xD800 && unit <= 0xDBFF) {
            Finish();
            high_ = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            const char32_t low = unit;
            AppendUtf8(high_ != 0 ? 0x10000 + ((char32_t(high_) - 0xD800) << 10) + (low - 0xDC00)
                                  : ReplacementCharacter,
                       out_);
            high_ = 0;
        } else {
            Finish();
            AppendUtf8(unit, out_);
        }
    }

    void Finish() {
        if (high_ != 0) AppendUtf8(ReplacementCharacter, out_);
        high_ = 0;
    }

private:
    std::string& out_;
    char16_t high_ = 0;
};

// Appends `count` UTF-16 code units as UTF-8, joined as Utf16Joiner joins them.
template <class Unit> void AppendUtf8(const Unit* units, std::size_t count, std::string& out) {
    Utf16Joiner joiner(out);
    for (std::size_t i = 0; i < count; ++i) joiner.Put(static_cast<char16_t>(units[i]));
}

} // namespace tabulant::platform
