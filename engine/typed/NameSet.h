#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

namespace tabulant::engine::typed {

// PostgreSQL keeps at most 63 bytes of a name and cuts a longer one without a word, so two long
// names alike in their first 63 bytes would name the same column or index.
inline constexpr std::size_t MaxNameBytes = 63;

// `name` itself when it fits in MaxNameBytes; otherwise its beginning, cut at a character
// boundary, then "_" and eight hexadecimal digits of a hash of the whole name: 63 bytes or a
// little less. The same name always gives the same result.
std::string FitName(std::string_view name);

// The names given out in one namespace (the columns of a table, the indexes and tables of a
// database). Names compare exactly, as PostgreSQL compares quoted names.
class NameSet {
public:
    // Marks a name as given, as it stands.
    void Take(std::string name) { taken_.insert(std::move(name)); }
    bool Taken(std::string_view name) const { return taken_.count(std::string(name)) != 0; }

    // FitName(wanted) when it is free, else the first free one of FitName(wanted + "_2"),
    // FitName(wanted + "_3"), ...; marked as given.
    std::string Unique(std::string_view wanted);

private:
    std::set<std::string> taken_;
};

} // namespace tabulant::engine::typed
