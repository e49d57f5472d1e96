#include "ColumnNames.h"

#include "Datatype.h"
#include "platform/Utf8.h"

namespace tabulant::engine {

bool ColumnNames::Taken(std::string_view candidate) const {
    // Like a text search that finds nothing in an empty text: the very first name is free even
    // when it is empty.
    if (usedLower_.empty()) return false;
    return usedLower_.find(platform::LowerCase(candidate)) != std::string::npos;
}

void ColumnNames::Use(std::string_view name) {
    usedLower_.append(",").append(platform::LowerCase(name));
}

std::string ColumnNames::NextCandidate(std::string_view candidate, int counter) {
    std::string next(FirstCharacters(candidate, 7));
    next += std::to_string(counter);
    return next;
}

std::string ColumnNames::FirstFree(std::string_view baseName) const {
    std::string candidate(baseName);
    for (int counter = 1; Taken(candidate); ++counter)
        candidate = NextCandidate(candidate, counter);
    return candidate;
}

} // namespace tabulant::engine
