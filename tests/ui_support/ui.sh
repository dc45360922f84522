# Helpers for scripts and tests that drive a Wine window from outside with X tools, under the
# display in DISPLAY (scripts/with-display.sh gives one). Source this file:
#     . tests/ui_support/ui.sh
# Wine's X window for a top-level window is its client area, so captures and pixel positions
# are client coordinates. With no window manager, keys go to the focused window: ui_type and
# ui_key focus it first.

# ui_find_window TITLE_REGEX [SECONDS]: prints the X id of a visible window whose title matches,
# waiting up to SECONDS (default 30); fails when none appears.
ui_find_window() {
    local pattern=$1 seconds=${2:-30} id
    local deadline=$((SECONDS + seconds))
    while [ $SECONDS -le $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    echo "no visible window titled $pattern after ${seconds}s" >&2
    return 1
}

# ui_focus WID: gives WID the keyboard focus.
ui_focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# ui_type WID TEXT: types TEXT (Hangul too: it arrives as WM_CHAR) into WID.
ui_type() {
    ui_focus "$1"
    xdotool type --delay 30 -- "$2"
}

# ui_key WID KEY...: presses keys in WID (xdotool names: Down, Return, Escape, ctrl+a ...).
ui_key() {
    local id=$1
    shift
    ui_focus "$id"
    xdotool key --delay 30 "$@"
}

# ui_capture WID FILE.png: saves what WID shows now as a PNG.
ui_capture() {
    xwd -silent -id "$1" | convert xwd:- -alpha off "png:$2"
}

# ui_pixel FILE.png X Y: prints the pixel's colour as RRGGBB (upper case).
ui_pixel() {
    convert "$1" -alpha off -depth 8 -format "%[hex:p{$2,$3}]" info:- | cut -c1-6
}

# ui_wait_for_pixel WID X Y RRGGBB [SECONDS]: waits until WID shows that colour at (X, Y)
# (default 30 s); frames reach the screen a moment after they are drawn.
ui_wait_for_pixel() {
    local id=$1 x=$2 y=$3 want=${4^^} seconds=${5:-30} file
    local deadline=$((SECONDS + seconds))
    file=$(mktemp --suffix=.png)
    while [ $SECONDS -le $deadline ]; do
        if ui_capture "$id" "$file" 2>/dev/null && [ "$(ui_pixel "$file" "$x" "$y")" = "$want" ]; then
            rm -f "$file"
            return 0
        fi
        sleep 0.2
    done
    echo "pixel ($x, $y) of window $id is $(ui_pixel "$file" "$x" "$y" 2>/dev/null), not $want" >&2
    rm -f "$file"
    return 1
}
