#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tabulant::db {

// Turns stored texts into UTF-8. Jet 4 and later store UTF-16LE, optionally in the compressed
// form (FF FE, then runs of one byte per character switched by 0x00 bytes); surrogate pairs
// become one character, a lone surrogate becomes U+FFFD. Jet 3 stores the database code page,
// converted with iconv; a byte the code page leaves undefined becomes the character of the same
// number, as Windows converts it.
// Not thread-safe (the iconv state); one decoder per reader.
class TextDecoder {
public:
    TextDecoder(bool codePageText, int codePage);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    void Append(const std::uint8_t* data, std::size_t size, std::string& out);
    std::string Decode(const std::uint8_t* data, std::size_t size) {
        std::string s;
        Append(data, size, s);
        return s;
    }

    // Plain UTF-16LE (no compression marker), as the header password is stored.
    static void AppendUtf16(const std::uint8_t* data, std::size_t size, std::string& out);

private:
    void appendCodePage(const std::uint8_t* data, std::size_t size, std::string& out);
    static void appendCompressed(const std::uint8_t* data, std::size_t size, std::string& out);

    bool codePageText_;
    void* iconv_ = nullptr; // iconv_t, or nullptr when no converter could be opened
};

} // namespace tabulant::db
