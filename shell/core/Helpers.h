#pragma once

#include "platform/StringList.h"
#include "platform/Variant.h"

#include <string>
#include <string_view>

namespace tabulant::shell {

// True when the file's modification time can be read; never fails.
bool FileExists(std::string_view path);

// True when an entry of the list, in lower case, equals the text in lower case (whole entries,
// no trimming). Every entry is examined.
bool ListContainsText(const platform::StringList& list, std::string_view text);

// Removes every entry that equals the text exactly.
void ListRemoveText(platform::StringList& list, std::string_view text);

// The default when the value is null, otherwise the value itself.
const platform::Variant& NullToDefault(const platform::Variant& value,
                                       const platform::Variant& defaultValue);

// The program folder (the executable's folder), without a trailing slash.
std::string ProgramFolder();
void SetProgramFolder(std::string folder);

} // namespace tabulant::shell
