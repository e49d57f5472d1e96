#pragma once

namespace tabulant::shell {

// A text field of the main window as the settings store keeps it: the key, and the value the
// field takes when the key is absent. The terminal front end reads the server's fields from the
// same keys, so both front ends agree on what a saved setting is.
struct SavedText {
    const char* key;
    const char* defaultValue;
};

namespace saved {
inline constexpr SavedText PostgreSQLServer{"PostgreSQLServer", "localhost"};
inline constexpr SavedText PostgreSQLPort{"PostgreSQLPort", "5432"};
inline constexpr SavedText PostgreSQLUser{"PostgreSQLUser", ""};
inline constexpr SavedText PostgreSQLPassword{"PostgreSQLPassword", ""};
inline constexpr SavedText PostgreSQLDatabase{"PostgreSQLDatabase", ""};
inline constexpr SavedText AccessMDBFile{"AccessMDBFile", ""};
inline constexpr SavedText AccessPassword{"AccessPassword", ""};
} // namespace saved

} // namespace tabulant::shell
