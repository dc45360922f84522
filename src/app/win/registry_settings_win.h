// SettingsStore over the current user's registry: Software\Norvik, the Run value and the theme.
#pragma once

#include <string>

#include "app/core/shell.h"

namespace norvik {

// Where the values live, under HKEY_CURRENT_USER. Tests point them at keys of their own.
struct RegistryPaths {
    std::wstring settings = L"Software\\Norvik";
    std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    std::wstring run_value = L"Norvik";
    std::wstring theme = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
};

// Reads take only the value's own type (REG_DWORD, REG_SZ, REG_BINARY, REG_MULTI_SZ): a value
// of another type, a missing value and a missing key all read as nothing. Writes create the key.
class RegistrySettings : public SettingsStore {
  public:
    explicit RegistrySettings(RegistryPaths paths = {}) : paths_(std::move(paths)) {}

    std::optional<uint32_t> read_dword(std::string_view name) override;
    std::optional<std::string> read_string(std::string_view name) override;
    std::optional<std::vector<uint8_t>> read_binary(std::string_view name) override;
    bool write_dword(std::string_view name, uint32_t value) override;
    bool write_string(std::string_view name, std::string_view value) override;
    bool write_binary(std::string_view name, std::span<const uint8_t> value) override;
    std::optional<std::vector<std::string>> read_multi_string(std::string_view name) override;
    bool write_multi_string(std::string_view name, std::span<const std::string> values) override;

    std::optional<std::string> read_run_command() override;
    bool write_run_command(std::string_view command) override;
    bool delete_run_command() override;

    std::optional<uint32_t> read_apps_use_light_theme() override;

    // The uninstaller's clean-up: the Run value and the whole settings key. Failures ignored.
    void remove_all();

    const RegistryPaths& paths() const { return paths_; }

  private:
    RegistryPaths paths_;
};

}  // namespace norvik
