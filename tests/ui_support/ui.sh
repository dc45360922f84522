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

# ui_focus WID: gives WID the keyboard focus, waiting (up to 10 s) until the X server says it has
# it. Wine takes a moment more to act on a new focus: keys sent at once are lost, so a window that
# did not have the focus gets a second to settle.
ui_focus() {
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    local deadline=$((SECONDS + 10))
    while :; do
        xdotool windowfocus --sync "$1" >/dev/null 2>&1 || xdotool windowfocus "$1" >/dev/null 2>&1
        if [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; then
            sleep 1
            return 0
        fi
        [ $SECONDS -lt $deadline ] || { echo "window $1 does not take the focus" >&2; return 1; }
        sleep 0.2
    done
}

# ui_type WID TEXT: types TEXT into WID; each character arrives as WM_CHAR. Characters that are
# not on the keyboard map (Hangul) get keys of their own while typing: xdotool would otherwise
# remap one spare key for each in turn, faster than Wine follows, and some would be lost.
ui_type() {
    local id=$1 text=$2 i c code
    local -a extra=() free=()
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        [ "$(printf %s "$c" | LC_ALL=C wc -c)" -eq 1 ] && continue
        [[ " ${extra[*]} " == *" $c "* ]] || extra+=("$c")
    done
    ui_focus "$id" || return 1
    if [ ${#extra[@]} -gt 0 ]; then
        # Wine follows changes of the keyboard map only once it has seen a key: a Shift first.
        xdotool key shift
        mapfile -t free < <(xmodmap -pke | awk 'NF == 3 && $1 == "keycode" { print $2 }')
        if [ ${#free[@]} -lt ${#extra[@]} ]; then
            echo "not enough free keys to type $text" >&2
            return 1
        fi
        for i in "${!extra[@]}"; do
            code=$(printf %s "${extra[i]}" | iconv -f UTF-8 -t UTF-32BE | od -An -tx1 | tr -d ' \n')
            xmodmap -e "keycode ${free[i]} = U${code#000}"
        done
        sleep 1  # Wine rereads the keyboard map when told it changed
    fi
    for ((i = 0; i < ${#text}; i++)); do
        xdotool type --delay 30 -- "${text:i:1}"
        sleep 0.05
    done
    # The window turns keys into characters a moment later, by the map it knows then: the keys
    # are given back only after that.
    [ ${#extra[@]} -eq 0 ] || sleep 1
    for i in "${!extra[@]}"; do
        xmodmap -e "keycode ${free[i]} ="
    done
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

# ui_count_colour FILE.png X Y WIDTH HEIGHT RRGGBB [FUZZ]: prints how many pixels of that rectangle
# are within FUZZ % (default 10) of the colour (antialiased text has few pixels of its exact
# colour).
ui_count_colour() {
    local file=$1 x=$2 y=$3 w=$4 h=$5 colour=$6 fuzz=${7:-10} differ
    differ=$(convert "$file" -alpha off -crop "${w}x${h}+${x}+${y}" +repage png:- |
        compare -metric AE -fuzz "$fuzz%" png:- -size "${w}x${h}" "xc:#$colour" null: 2>&1) || true
    echo $((w * h - ${differ%% *}))
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
