#include "app/updater/manifest.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "app/updater/curl_command.h"
#include "app/updater/update_messages.h"
#include "app/updater/version.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

constexpr size_t MAX_VERSION_LENGTH = 32;

bool is_version_text(std::string_view version) {
    if (version.empty() || version.size() > MAX_VERSION_LENGTH) return false;
    for (char c : version)
        if ((c < '0' || c > '9') && c != '.') return false;
    return true;
}

// The installer's address later becomes one argument of curl's command line: only printable
// ASCII without '"' is let through, whatever the quoting would make of the rest.
bool is_safe_https_url(std::string_view url) {
    if (!url.starts_with("https://")) return false;
    for (char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"') return false;
    }
    return true;
}

std::string ascii_lowercase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

const std::string* string_member(const nlohmann::json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return nullptr;
    return it->get_ptr<const std::string*>();
}

// Only a JSON integer that is not negative counts; 1.5, -1, "1234" and numbers beyond 64 bits
// (which the parser reads as floating point) mean "size unknown".
uint64_t size_member(const nlohmann::json& object) {
    auto it = object.find("size");
    if (it == object.end() || !it->is_number_unsigned()) return 0;
    return it->get<uint64_t>();
}

}  // namespace

std::optional<UpdateInfo> parse_manifest(std::string_view text) {
    // The parser allows only space, tab, line feed and carriage return after the value, but it
    // also takes a NUL byte for the end of the text, and JSON has no raw NUL anywhere.
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    const nlohmann::json root = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!root.is_object()) return std::nullopt;
    const std::string* version = string_member(root, "version");
    const std::string* url = string_member(root, "url");
    const std::string* sha256 = string_member(root, "sha256");
    if (version == nullptr || url == nullptr || sha256 == nullptr) return std::nullopt;
    if (!is_version_text(*version) || !is_safe_https_url(*url)) return std::nullopt;
    const uint64_t size = size_member(root);
    if (size > INSTALLER_MAX_BYTES) return std::nullopt;
    return UpdateInfo{*version, *url, ascii_lowercase(*sha256), size};
}

UpdateVerdict judge_manifest(std::string_view bytes, std::string_view running) {
    if (!is_valid_utf8(bytes)) return unusable_manifest();
    std::optional<UpdateInfo> offer = parse_manifest(bytes);
    if (!offer) return unusable_manifest();
    if (version_newer(offer->version, running)) return std::move(*offer);
    return UpToDate{};
}

std::string manifest_request_url(std::string_view base, std::string_view version,
                                 std::string_view language_code) {
    std::string url(base);
    url += "?v=";
    url += version;
    url += "&lang=";
    url += language_code;
    return url;
}

}  // namespace norvik
