#pragma once

#include "platform/SettingsStore.h"

#include <memory>
#include <string>

class QSettings;

namespace tabulant::platform {

// The settings store as an INI file, keys in the section [Tabulant]:
//   $XDG_CONFIG_HOME/Quorvane/Tabulant.ini (normally ~/.config/Quorvane/Tabulant.ini).
// Values are UTF-8 strings kept exactly, passwords as typed. Every Write is saved at once and
// atomically (QSettings writes a temporary file and renames it over the old one), and the file
// is readable and writable by its owner only (0600, also when it already existed with a wider
// mode). A Write that cannot be saved is not raised; lastWriteSucceeded() tells.
// Thread: one thread per object.
class IniSettingsStore final : public SettingsStore {
public:
    static constexpr const char* Organization = "Quorvane";
    static constexpr const char* Section = "Tabulant";

    // The user's file, at DefaultPath().
    IniSettingsStore();
    // Any other file (tests, tools).
    explicit IniSettingsStore(std::string filePath);
    ~IniSettingsStore() override;

    static std::string DefaultPath();
    const std::string& path() const { return path_; }

    std::string Read(std::string_view key, std::string_view defaultValue) const override;
    void Write(std::string_view key, std::string_view value) override;
    bool lastWriteSucceeded() const { return lastWriteSucceeded_; }

private:
    std::string path_;
    std::unique_ptr<QSettings> settings_;
    bool lastWriteSucceeded_ = true;
};

} // namespace tabulant::platform
