#pragma once

#include <string>
#include <string_view>

namespace tabulant::engine {

// The used-names text of one table: every column name given so far, each after a ",". A
// candidate counts as taken when it occurs anywhere inside that text, letter case ignored, so a
// candidate that is only part of an earlier name is taken too (after CustID, ID becomes ID1).
class ColumnNames {
public:
    bool Taken(std::string_view candidate) const;
    void Use(std::string_view name);

    // The candidate after `counter` passes: its first 7 characters followed by the counter.
    // Passes accumulate, so three fields A give A, A1, A12.
    static std::string NextCandidate(std::string_view candidate, int counter);

    // The uniqueness loop: the first candidate, from baseName on, that is not taken.
    std::string FirstFree(std::string_view baseName) const;

private:
    std::string usedLower_;
};

} // namespace tabulant::engine
