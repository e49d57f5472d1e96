#pragma once

#include <optional>
#include <string_view>

namespace tabulant::db {

// The Windows code page a user names for the texts of a Jet 3 file: its number ("936"),
// "CP936", "windows-1251", or a common name of one (GBK, Shift_JIS, Big5, EUC-KR, any letter
// case). No value when the name is none of these or the system's converter lacks the code page,
// so that a typing error is refused instead of reading every text as Western.
std::optional<int> CodePageFromName(std::string_view name);

} // namespace tabulant::db
