#include "app/win/registry_settings_win.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

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

// The value's UTF-16 units (a trailing odd byte dropped).
std::optional<std::wstring> get_wide(const std::wstring& key, const std::wstring& name,
                                     DWORD type_flag) {
    std::optional<std::vector<uint8_t>> bytes = get_bytes(key, name, type_flag);
    if (!bytes) return std::nullopt;
    std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
    std::copy(bytes->begin(), bytes->begin() + text.size() * sizeof(wchar_t),
              reinterpret_cast<uint8_t*>(text.data()));
    return text;
}

std::optional<std::string> get_string(const std::wstring& key, const std::wstring& name) {
    std::optional<std::wstring> text = get_wide(key, name, RRF_RT_REG_SZ);
    if (!text) return std::nullopt;
    // RegGetValueW ends a REG_SZ with a zero; the text stops at the first one.
    return from_wide(std::wstring_view(text->c_str()));
}

// REG_MULTI_SZ: strings each ended by a zero, the list by one more. An empty string would end
// the list, so a value written by another program stops there, and empty strings are never
// written.
std::vector<std::string> split_multi_string(std::wstring_view units) {
    std::vector<std::string> strings;
    while (!units.empty() && units.front() != L'\0') {
        const size_t end = std::min(units.find(L'\0'), units.size());
        strings.push_back(from_wide(units.substr(0, end)));
        units.remove_prefix(std::min(end + 1, units.size()));
    }
    return strings;
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

std::optional<std::vector<std::string>> RegistrySettings::read_multi_string(std::string_view name) {
    std::optional<std::wstring> units =
        get_wide(paths_.settings, to_wide(name), RRF_RT_REG_MULTI_SZ);
    if (!units) return std::nullopt;
    return split_multi_string(*units);
}

bool RegistrySettings::write_multi_string(std::string_view name,
                                          std::span<const std::string> values) {
    std::wstring units;
    for (const std::string& value : values) {
        if (value.empty()) continue;
        units += to_wide(value);
        units.push_back(L'\0');
    }
    units.push_back(L'\0');
    return set_value(paths_.settings, to_wide(name), REG_MULTI_SZ, units.c_str(),
                     units.size() * sizeof(wchar_t));
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
