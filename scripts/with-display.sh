#!/usr/bin/env bash
# Runs a command with an X display: the one in DISPLAY when it answers, else a private Xvfb
# started for the command and stopped after it (CI and ssh sessions have no display).
# Usage: scripts/with-display.sh COMMAND [ARGS...]   (exits with COMMAND's status)
#   NORVIK_XVFB_SCREEN   screen size and depth (default 1920x1200x24: a 960x640 window at 150 %
#                        fits, with room to spare)
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$@"
fi

command -v Xvfb >/dev/null || "$(dirname "$0")/deps.sh" windows

# Xvfb's own -displayfd search starts at :0, the number a desktop session uses; start higher and
# take the first number whose lock file is free. Another Xvfb may win the race for a number:
# then its start fails here and the next number is tried.
screen=${NORVIK_XVFB_SCREEN:-1920x1200x24}
xvfb_pid=
for ((n = 100 + $$ % 300, tries = 0; tries < 50; n++, tries++)); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then break 2; fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
if [ -z "$xvfb_pid" ]; then
    echo "could not start Xvfb" >&2
    exit 1
fi
export DISPLAY=":$n"

stop_xvfb() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}
trap stop_xvfb EXIT
trap 'exit 130' INT TERM

status=0
"$@" || status=$?
exit $status
