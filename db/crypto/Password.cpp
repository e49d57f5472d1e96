#include "Password.h"

namespace tabulant::db::crypto {

std::vector<std::uint8_t> PasswordBytes(std::u16string_view password) {
    std::vector<std::uint8_t> out;
    out.reserve(password.size() * 2);
    for (char16_t unit : password) {
        out.push_back(std::uint8_t(unit & 0xFF));
        out.push_back(std::uint8_t(unit >> 8));
    }
    return out;
}

} // namespace tabulant::db::crypto
