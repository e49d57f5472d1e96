#include "NameSet.h"

#include "platform/Hex.h"

#include <cstdint>

namespace tabulant::engine::typed {

namespace {

// FNV-1a: small, and stable across builds and platforms, so a cut name never changes.
std::uint32_t Hash(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

} // namespace

std::string FitName(std::string_view name) {
    if (name.size() <= MaxNameBytes) return std::string(name);
    constexpr std::size_t Suffix = 9; // "_" and eight digits
    std::size_t keep = MaxNameBytes - Suffix;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    std::string fitted(name.substr(0, keep));
    fitted += '_';
    const std::uint32_t h = Hash(name);
    platform::AppendHexNumber(h, 8, fitted);
    return fitted;
}

std::string NameSet::Unique(std::string_view wanted) {
    std::string name = FitName(wanted);
    for (int n = 2; Taken(name); ++n) name = FitName(std::string(wanted) + "_" + std::to_string(n));
    taken_.insert(name);
    return name;
}

} // namespace tabulant::engine::typed
