#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tabulant::platform {

// The per-user store of string values under application "Quorvane", section "Tabulant".
// Read returns the default when the key is absent and never writes it.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string Read(std::string_view key, std::string_view defaultValue) const = 0;
    virtual void Write(std::string_view key, std::string_view value) = 0;
};

} // namespace tabulant::platform
