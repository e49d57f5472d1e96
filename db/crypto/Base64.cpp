#include "Base64.h"

#include <cctype>
#include <climits>
#include <openssl/evp.h>

namespace tabulant::db::crypto {

std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text) {
    if (text.size() % 4 != 0 || text.size() > std::size_t(INT_MAX)) return std::nullopt;
    for (char c : text)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '='))
            return std::nullopt;
    const std::size_t firstPad = text.find('=');
    if (firstPad != std::string_view::npos &&
        (firstPad + 2 < text.size() ||
         text.find_first_not_of('=', firstPad) != std::string_view::npos))
        return std::nullopt;
    std::vector<std::uint8_t> out(text.size() / 4 * 3);
    // EVP_DecodeBlock counts the padding characters as zero bytes; drop them afterwards.
    const int len = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                    int(text.size()));
    if (len < 0) return std::nullopt;
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=')
        padding = text.size() > 1 && text[text.size() - 2] == '=' ? 2 : 1;
    out.resize(std::size_t(len) - padding);
    return out;
}

std::string Base64Encode(std::span<const std::uint8_t> bytes) {
    std::string out((bytes.size() + 2) / 3 * 4 + 1, '\0');
    const int len = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                    int(bytes.size()));
    out.resize(std::size_t(len));
    return out;
}

} // namespace tabulant::db::crypto
