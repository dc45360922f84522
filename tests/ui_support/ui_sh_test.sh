#!/usr/bin/env bash
# The shell helpers on a real window: norvik-gfx-demo is found by its title, shows the accent bar
# under its search box, and takes typed Hangul, which its sample names then show highlighted in
# the accent colour. Usage: ui_sh_test.sh DEMO.exe BUILD_DIR
set -euo pipefail
demo=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-ui-env.sh" "$2"
source "$here/ui.sh"
shot=$(mktemp --suffix=.png)
trap 'rm -f "$shot"; [ -z "${running:-}" ] || kill "$running" 2>/dev/null || true' EXIT

wine "$demo" </dev/null >/dev/null 2>&1 &
running=$!
window=$(ui_find_window '^Norvik$' 60)
ui_wait_for_pixel "$window" 30 57 7C3AED 30  # the accent bar, 2 pixels high at y 56-57

# The first row's name, 보고서, at (50, 140) in a 32-pixel row: no accent before typing.
ui_capture "$window" "$shot"
before=$(ui_count_colour "$shot" 50 140 60 32 7C3AED)
ui_type "$window" "보고"
for _ in $(seq 50); do
    ui_capture "$window" "$shot"
    after=$(ui_count_colour "$shot" 50 140 60 32 7C3AED)
    [ "$after" -gt 20 ] && break
    sleep 0.2
done
echo "accent pixels in the first name: $before before typing, $after after"
[ "$before" -eq 0 ] && [ "$after" -gt 20 ]
