#pragma once

// A fuzzer input is an Access file, optionally followed by the password to open it with: the
// password's bytes, one byte giving their count, then the 8 bytes "TabFzPw1". The fuzzer tries
// that password and the empty one, so that protected files are read past the password check.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace tabulant::fuzz {

inline constexpr char PasswordMark[8] = {'T', 'a', 'b', 'F', 'z', 'P', 'w', '1'};

struct FuzzInput {
    std::span<const std::uint8_t> file;
    std::string password; // empty when the input names none
};

inline FuzzInput SplitPasswordTrailer(const std::uint8_t* data, std::size_t size) {
    FuzzInput in{{data, size}, {}};
    const std::size_t mark = sizeof PasswordMark;
    if (size < mark + 1 || std::memcmp(data + size - mark, PasswordMark, mark) != 0) return in;
    const std::size_t length = data[size - mark - 1];
    if (length + mark + 1 > size) return in;
    const std::size_t fileSize = size - mark - 1 - length;
    in.file = {data, fileSize};
    in.password.assign(reinterpret_cast<const char*>(data + fileSize), length);
    return in;
}

// Appends the trailer; a password longer than 255 bytes is cut (no Access password is).
inline void AppendPasswordTrailer(std::vector<std::uint8_t>& file, const std::string& password) {
    if (password.empty()) return;
    const std::size_t length = password.size() < 255 ? password.size() : 255;
    file.insert(file.end(), password.begin(), password.begin() + static_cast<long>(length));
    file.push_back(static_cast<std::uint8_t>(length));
    file.insert(file.end(), PasswordMark, PasswordMark + sizeof PasswordMark);
}

} // namespace tabulant::fuzz
