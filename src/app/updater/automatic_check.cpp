#include "app/updater/automatic_check.h"

#include <limits>

#include "app/core/settings.h"

namespace norvik {

uint64_t parse_last_update_check(const std::optional<std::string>& text) {
    if (!text) return 0;
    std::string_view digits = *text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty()) return 0;
    uint64_t value = 0;
    constexpr uint64_t MAX = std::numeric_limits<uint64_t>::max();
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (MAX - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    return value;
}

uint64_t unix_seconds(std::chrono::system_clock::time_point time) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    return seconds < 0 ? 0 : static_cast<uint64_t>(seconds);
}

void maybe_check_for_update(Shell& shell, uint64_t now) {
    SettingsStore& settings = shell.settings();
    if (!setting_on(settings, SETTING_AUTO_UPDATE)) return;
    const uint64_t last = parse_last_update_check(settings.read_string(SETTING_LAST_UPDATE_CHECK));
    if (last <= now && now - last < UPDATE_CHECK_INTERVAL_SECONDS) return;
    // A failed write is ignored: the check still runs, and the next due time stays as it was.
    (void)settings.write_string(SETTING_LAST_UPDATE_CHECK, std::to_string(now));
    shell.start_update_check(false);
}

}  // namespace norvik
