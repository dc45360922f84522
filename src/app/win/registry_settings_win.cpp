#include "app/win/registry_settings_win.h"

#include <windows.h>

#include "app/win/win_raii.h"

namespace norvik {
namespace {

std::optional<uint32_t> get_dword(const std::wstring& key, const std::wstring& name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A value of one type read in two calls, size then data. The value may grow between the two
// (another program writing it): then ask again.
std::optional<std::vector<uint8_t>> get_bytes(const std::wstring& key, const std::wstring& name,
                                              DWORD type_flag) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), type_flag, nullptr, nullptr,
                         &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<uint8_t> data(size);
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), type_flag,
                                      nullptr, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return std::nullopt;
        data.resize(size);
        return data;
    }
    return std::nullopt;
}

std::optional<std::string> get_string(const std::wstring& key, const std::wstring& name) {
    std::optional<std::vector<uint8_t>> bytes = get_bytes(key, name, RRF_RT_REG_SZ);
    if (!bytes) return std::nullopt;
    // RegGetValueW ends a REG_SZ with a zero; the text stops at the first one.
    std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
    std::copy(bytes->begin(), bytes->begin() + text.size() * sizeof(wchar_t),
              reinterpret_cast<uint8_t*>(text.data()));
    text.resize(std::wstring_view(text.c_str()).size());
    return from_wide(text);
}

bool set_value(const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
               size_t size) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), type, data,
                           static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

// REG_SZ with its terminating zero.
bool set_string(const std::wstring& key, const std::wstring& name, std::string_view value) {
    std::wstring wide = to_wide(value);
    return set_value(key, name, REG_SZ, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

}  // namespace

std::optional<uint32_t> RegistrySettings::read_dword(std::string_view name) {
    return get_dword(paths_.settings, to_wide(name));
}

std::optional<std::string> RegistrySettings::read_string(std::string_view name) {
    return get_string(paths_.settings, to_wide(name));
}

std::optional<std::vector<uint8_t>> RegistrySettings::read_binary(std::string_view name) {
    return get_bytes(paths_.settings, to_wide(name), RRF_RT_REG_BINARY);
}

bool RegistrySettings::write_dword(std::string_view name, uint32_t value) {
    DWORD data = value;
    return set_value(paths_.settings, to_wide(name), REG_DWORD, &data, sizeof data);
}

bool RegistrySettings::write_string(std::string_view name, std::string_view value) {
    return set_string(paths_.settings, to_wide(name), value);
}

bool RegistrySettings::write_binary(std::string_view name, std::span<const uint8_t> value) {
    return set_value(paths_.settings, to_wide(name), REG_BINARY, value.data(), value.size());
}

std::optional<std::string> RegistrySettings::read_run_command() {
    return get_string(paths_.run, paths_.run_value);
}

bool RegistrySettings::write_run_command(std::string_view command) {
    return set_string(paths_.run, paths_.run_value, command);
}

bool RegistrySettings::delete_run_command() {
    LSTATUS status =
        RegDeleteKeyValueW(HKEY_CURRENT_USER, paths_.run.c_str(), paths_.run_value.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::optional<uint32_t> RegistrySettings::read_apps_use_light_theme() {
    return get_dword(paths_.theme, L"AppsUseLightTheme");
}

void RegistrySettings::remove_all() {
    (void)delete_run_command();
    RegDeleteTreeW(HKEY_CURRENT_USER, paths_.settings.c_str());
}

}  // namespace norvik
