#!/usr/bin/env bash
# Takes the README's screenshot: zelapp with the demo setup on an emulated unit, main window,
# numbers and bars side by side, on a virtual X screen. With --help-pictures it takes the
# pictures of the operator's help instead, one PNG per window, into a folder (app/help/ for the
# help the build installs next to the program).
#
#   tools/screenshot.sh <build-dir> <output.png>
#   tools/screenshot.sh --help-pictures <build-dir> <folder>
#   tools/screenshot.sh --result-window <build-dir> <output.png>
#
# With --result-window it takes the part result window once the demo's part program has
# measured a part (for docs/result-window.png).
#
# Needs xvfb-run, xauth, xdotool and ImageMagick (`make deps` installs them). Runs under its own
# Xvfb (1280x1024, 96 dpi, so a twip is 1/15 pixel as on a usual desktop), with private settings,
# runtime and device folders: a running `make run` or the user's stored window places do not
# matter. The picture is taken while a part is on the gauge, so the bars show readings rather
# than the probes at their stops.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=SCRIPTDIR/run-demo.sh
source "$HERE/run-demo.sh"

CONVERT=/usr/bin/convert  # by full path: another `convert` may come first on PATH
MARGIN=12                  # pixels around and between the windows
BACKGROUND='#d9dde3'

# Waits (at most 30 s) for a visible window whose name matches the pattern; prints its id.
# Gives up at once when the program has ended or shows a message box (titled with the
# program's name), which it keeps in MESSAGE_SHOT for the reader of the failure.
find_window() {
    local id="" box i
    for ((i = 0; i < 300; i++)); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && break
        box=$(xdotool search --onlyvisible --name '^zelapp$' 2>/dev/null | head -n 1) || true
        if [ -n "$box" ]; then
            import -window "$box" "$MESSAGE_SHOT" 2>/dev/null || true
            echo "zelapp shows a message box instead of its windows: see $MESSAGE_SHOT" >&2
            return 1
        fi
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$id" ]; then
        echo "No window named like '$1' appeared." >&2
        return 1
    fi
    echo "$id"
}

# A copy of the program folder with a settings file of the start-up defaults, so the program
# starts without its "zelapp.ini file not found" notice and writes its settings there, not
# into the build.
private_program_folder() {
    local build=$1 folder=$2
    mkdir "$folder"
    cp "$build/bin/zelapp" "$build/bin/libzelcomm.so" "$folder/"
    if [ -f "$build/bin/zelicon.ico" ]; then
        cp "$build/bin/zelicon.ico" "$folder/"
    fi
    if [ -f "$build/bin/zelapp.html" ]; then
        cp -r "$build/bin/zelapp.html" "$build/bin/help" "$folder/"
    fi
    printf '%s\r\n' "[ZELAPP Version 6.01]" "[General Setup]" "MaxChannel= 8 " "MaxLVDT= 8 " \
        "MaxAnalog= 1 " "LvdtFSV=  .05 " "Decimals=  5 " "ScanTime=  100 " "ADCAverage=  4 " \
        "RunAvg=  1 " "" >"$folder/zelapp.ini"
}

# Prints a window's width and height in pixels.
window_size() {
    xdotool getwindowgeometry --shell "$1" |
        awk -F= '$1 == "WIDTH" { w = $2 } $1 == "HEIGHT" { h = $2 } END { print w, h }'
}

# Seconds on the emulated unit's clock, which is the demo signal's time.
unit_seconds() {
    "$BUILD/bin/zel8d" ctl stats | tr '\t' '\n' | sed -n 's/^seconds=//p'
}

# True while a part has turned on the gauge for more than a second and is not yet unloading:
# each 5 s cycle measures from 0.7 s to 4.5 s; the program reads every 0.4 s.
part_on_gauge() {
    awk -v t="$1" 'BEGIN { p = t - 5 * int(t / 5); exit !(p >= 1.9 && p <= 4.0) }'
}

# True while the part has just settled on the gauge: the moment an operator presses Reset.
part_settled() {
    awk -v t="$1" 'BEGIN { p = t - 5 * int(t / 5); exit !(p >= 1.2 && p <= 1.6) }'
}

# Prints a window's left, top, width and height in pixels (no window manager: on the root).
window_geometry() {
    xdotool getwindowgeometry --shell "$1" |
        awk -F= '$1 == "X" { x = $2 } $1 == "Y" { y = $2 } $1 == "WIDTH" { w = $2 }
                 $1 == "HEIGHT" { h = $2 } END { print x, y, w, h }'
}

# Starts the emulated unit and zelapp on the demo setup with the grid and the bars, in a private
# work folder; sets WORK, MESSAGE_SHOT (next to the first argument), APP_PID and EMULATOR_PID.
start_demo() {
    local message_base=$1 repo
    repo=$(cd "$HERE/.." && pwd)

    WORK=$(mktemp -d "${TMPDIR:-/tmp}/zel8-shot.XXXXXX")
    EMULATOR_PID=""
    APP_PID=""
    trap 'stop_process "$APP_PID"; stop_process "$EMULATOR_PID"; rm -rf "$WORK"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    # The parts' history too is private: the pictures show the demo's parts only.
    export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime" XDG_DATA_HOME="$WORK/data"
    mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY

    MESSAGE_SHOT="$message_base.message.png"
    private_program_folder "$BUILD" "$WORK/bin"
    start_emulator "$BUILD" "$WORK"
    # By its bare name from its own folder, as tools/run-demo.sh does.
    (cd "$repo/examples" && exec "$WORK/bin/zelapp" /NUMS /BARS demo.zel) \
        >"$WORK/zelapp.log" 2>&1 &
    APP_PID=$!
}

# Finds the main window, the grid and the bars and lays them out; sets MAIN, GRID, BARS, their
# places (mainX ... barsY), the main window's size (mainW, mainH) and SHOWN_AT.
place_displays() {
    MAIN=$(find_window '^ZEL-32 \[') || { cat "$WORK/zelapp.log" >&2; exit 1; }
    GRID=$(find_window '^Channels$') || { cat "$WORK/zelapp.log" >&2; exit 1; }
    BARS=$(find_window '^Display Channels$') || { cat "$WORK/zelapp.log" >&2; exit 1; }
    SHOWN_AT=$EPOCHREALTIME

    # No window manager: no frames, and the windows sit where they placed themselves. The main
    # window goes top left, the grid under it, the bars to the right of both.
    read -r mainW mainH < <(window_size "$MAIN")
    read -r gridW _ < <(window_size "$GRID")
    mainX=$MARGIN mainY=$MARGIN
    gridX=$MARGIN gridY=$((MARGIN + mainH + MARGIN))
    local left=$((mainW > gridW ? mainW : gridW))
    barsX=$((MARGIN + left + MARGIN)) barsY=$MARGIN
    xdotool windowmove --sync "$MAIN" "$mainX" "$mainY"
    xdotool windowmove --sync "$GRID" "$gridX" "$gridY"
    xdotool windowmove --sync "$BARS" "$barsX" "$barsY"
}

# As the operator does: once a part has settled on the gauge (a few scan ticks after the
# windows came up), press Reset so that Runout measures this part only, then wait until the
# part still turns, for the picture (within two part cycles; 15 s at most).
wait_for_turning_part() {
    local now seconds waited
    for ((waited = 0; waited < 300; waited++)); do
        now=$EPOCHREALTIME
        seconds=$(unit_seconds)
        if awk -v a="$SHOWN_AT" -v b="$now" 'BEGIN { exit !(b - a >= 1.5) }' &&
            part_settled "$seconds"; then
            break
        fi
        sleep 0.05
    done
    # Reset is the last button of the main window's row, at its right end.
    xdotool mousemove --sync $((mainX + mainW - 40)) $((mainY + mainH - 30)) click 1
    for ((waited = 0; waited < 300; waited++)); do
        seconds=$(unit_seconds)
        if awk -v t="$seconds" 'BEGIN { p = t - 5 * int(t / 5); exit !(p >= 2.8 && p <= 3.6) }'; then
            break
        fi
        sleep 0.05
    done
    if ! kill -0 "$APP_PID" 2>/dev/null; then
        echo "zelapp ended before the screenshot:" >&2
        cat "$WORK/zelapp.log" >&2
        exit 1
    fi
}

# Windows cut from a picture of the screen onto a plain background, where they stand now; the
# picture reaches MARGIN beyond the rightmost and the lowest of them.
compose_windows() {
    local screen=$1 out=$2 id x y w h width=0 height=0
    shift 2
    local layers=()
    for id in "$@"; do
        read -r x y w h < <(window_geometry "$id")
        layers+=(\( "$screen" -crop "${w}x${h}+${x}+${y}" +repage \) -geometry "+${x}+${y}"
            -composite)
        width=$((x + w + MARGIN > width ? x + w + MARGIN : width))
        height=$((y + h + MARGIN > height ? y + h + MARGIN : height))
    done
    "$CONVERT" -size "${width}x${height}" "xc:$BACKGROUND" "${layers[@]}" -strip "$out"
    echo "Wrote $out (${width}x${height})."
}

# One window cut from a picture of the screen, as it stands now.
shoot_window() {
    local id=$1 out=$2 x y w h
    read -r x y w h < <(window_geometry "$id")
    import -window root "$WORK/screen.png"
    "$CONVERT" "$WORK/screen.png" -crop "${w}x${h}+${x}+${y}" +repage -strip "$out"
    echo "Wrote $out (${w}x${h})."
}

# Opens a window from the main window's menus with the keyboard (Alt and the underlined
# letters), puts it at the top left, over the others, and prints its id once it has painted.
open_from_menu() {
    local pattern=$1 id
    shift
    xdotool windowfocus --sync "$MAIN"
    xdotool key --clearmodifiers "$@"
    id=$(find_window "$pattern") || { cat "$WORK/zelapp.log" >&2; exit 1; }
    xdotool windowmove --sync "$id" "$MARGIN" "$MARGIN"
    # Its first paint follows the map; a live value or two fill in meanwhile.
    sleep 1
    echo "$id"
}

close_with_escape() {
    xdotool windowfocus --sync "$1"
    xdotool key --clearmodifiers Escape
    local waited
    for ((waited = 0; waited < 50; waited++)); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    echo "A window did not close with Escape." >&2
    exit 1
}

inside() {
    BUILD=$1
    local out=$2
    start_demo "${out%.png}"
    place_displays
    wait_for_turning_part
    import -window root "$WORK/screen.png"
    compose_windows "$WORK/screen.png" "$out" "$MAIN" "$GRID" "$BARS"
}

# The help's pictures: the main window, the grid and the bars with a part on the gauge; the
# mastering, channel, probe and system setup windows and the about window as their menus open
# them, the help window at its contents, the calibration window from a probe's bar, the
# statistics window; and the displays after the unit was lost.
inside_help() {
    BUILD=$1
    local dir=$2 id
    start_demo "$dir/help"
    place_displays
    wait_for_turning_part
    shoot_window "$MAIN" "$dir/main-window.png"
    shoot_window "$GRID" "$dir/grid.png"
    shoot_window "$BARS" "$dir/bars.png"

    id=$(open_from_menu '^Master Channels$' alt+m c)
    shoot_window "$id" "$dir/mastering.png"
    xdotool windowunmap --sync "$id"
    id=$(open_from_menu '^Channel Setup$' alt+s c)
    shoot_window "$id" "$dir/channel-setup.png"
    xdotool windowunmap --sync "$id"
    id=$(open_from_menu '^Probe Setup$' alt+s p)
    shoot_window "$id" "$dir/probe-setup.png"
    xdotool windowunmap --sync "$id"
    # System Setup holds the displays while it is open and About is modal: both are closed
    # with Escape, which lets the displays run on.
    id=$(open_from_menu '^System Setup$' alt+s s)
    shoot_window "$id" "$dir/system-setup.png"
    close_with_escape "$id"
    id=$(open_from_menu '^About ZEL-32' alt+b)
    shoot_window "$id" "$dir/about.png"
    close_with_escape "$id"
    # The help window as wide as it opens, so its own pictures fit; its picture at three
    # quarters of that, so it fits into the help in turn.
    id=$(open_from_menu '^ZEL-32 Help$' alt+h)
    xdotool windowsize --sync "$id" 800 440
    sleep 0.5
    shoot_window "$id" "$WORK/help-window.png"
    "$CONVERT" "$WORK/help-window.png" -resize 75% -strip "$dir/help-window.png"
    xdotool windowunmap --sync "$id"
    # Parts > Statistics on the parts the demo measured so far.
    id=$(open_from_menu '^Statistics$' alt+p t)
    xdotool windowsize --sync "$id" 1100 680
    sleep 1
    shoot_window "$id" "$dir/statistics.png"
    close_with_escape "$id"
    # A right click on the first probe's bar in the probe view opens the calibration window.
    # Shift+Tab from its first bar reaches Details, which widens it; Escape is its Cancel, which
    # leaves the amplifier as it was.
    xdotool windowfocus --sync "$MAIN"
    xdotool key --clearmodifiers alt+v p
    find_window '^Display LVDTs$' >/dev/null || { cat "$WORK/zelapp.log" >&2; exit 1; }
    # The result window of the parts measured for the statistics may lie over the bars.
    xdotool windowraise "$BARS"
    local x y bw bh
    read -r x y bw bh < <(window_geometry "$BARS")
    xdotool mousemove --sync $((x + bw / 16)) $((y + bh / 2)) click 3
    id=$(find_window '^Amplifier Calibration$') || { cat "$WORK/zelapp.log" >&2; exit 1; }
    xdotool windowfocus --sync "$id"
    xdotool key --clearmodifiers shift+Tab space
    xdotool windowmove --sync "$id" "$MARGIN" "$MARGIN"
    sleep 1
    shoot_window "$id" "$dir/calibrate.png"
    close_with_escape "$id"
    xdotool windowfocus --sync "$MAIN"
    xdotool key --clearmodifiers alt+v c
    find_window '^Display Channels$' >/dev/null || { cat "$WORK/zelapp.log" >&2; exit 1; }

    # The unit goes away: the strip under the buttons makes the main window taller.
    stop_process "$EMULATOR_PID"
    EMULATOR_PID=""
    local w h waited
    for ((waited = 0; waited < 300; waited++)); do
        read -r w h < <(window_size "$MAIN")
        [ "$h" -gt "$mainH" ] && break
        sleep 0.1
    done
    if [ "$h" -le "$mainH" ]; then
        echo "The main window never showed that the unit was lost." >&2
        exit 1
    fi
    # Narrow enough for the help window: the bars under the main window, the grid beside it.
    xdotool windowsize --sync "$BARS" "$mainW" 300
    xdotool windowmove --sync "$BARS" "$MARGIN" $((MARGIN + h + MARGIN))
    xdotool windowmove --sync "$GRID" $((MARGIN + mainW + MARGIN)) "$MARGIN"
    sleep 1  # a scan tick writes NO UNIT into the grid
    import -window root "$WORK/screen.png"
    compose_windows "$WORK/screen.png" "$dir/no-unit.png" "$MAIN" "$GRID" "$BARS"
}

# The result window after a part: opened with the main window's "P&arts" (Alt+A); the demo's
# part program starts each cycle as a part comes onto the gauge, so the picture is taken once
# the live-value service says a result is held (the part stays on until 4.5 s of each 5 s
# cycle, and the result with it).
inside_result() {
    BUILD=$1
    local out=$2 id waited state=""
    start_demo "${out%.png}"
    place_displays
    id=$(open_from_menu '^Part Result$' alt+a)
    xdotool windowsize --sync "$id" 960 720
    for ((waited = 0; waited < 300; waited++)); do
        state=$("$BUILD/bin/zeldde" --topic Part request state 2>/dev/null) || true
        [ "$state" = RESULT ] && break
        sleep 0.05
    done
    if [ "$state" != RESULT ]; then
        echo "No part result was held within 15 s." >&2
        return 1
    fi
    shoot_window "$id" "$out"
}

if [ "${ZEL_SCREENSHOT_INSIDE:-}" = 1 ]; then
    if [ "$1" = --help-pictures ]; then
        inside_help "$2" "$3"
    elif [ "$1" = --result-window ]; then
        inside_result "$2" "$3"
    else
        inside "$@"
    fi
    exit 0
fi

mode=""
if [ "${1:-}" = --help-pictures ] || [ "${1:-}" = --result-window ]; then
    mode=$1
    shift
fi
if [ $# -ne 2 ]; then
    echo "Usage: $0 <build-dir> <output.png>" >&2
    echo "       $0 --help-pictures <build-dir> <folder>" >&2
    echo "       $0 --result-window <build-dir> <output.png>" >&2
    exit 2
fi
for tool in xvfb-run xauth xdotool import "$CONVERT"; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: make deps installs it." >&2
        exit 1
    fi
done
build=$(cd "$1" && pwd)
for program in zel8d zelapp libzelcomm.so; do
    if [ ! -f "$build/bin/$program" ]; then
        echo "$build/bin/$program is missing: build first (make build)." >&2
        exit 1
    fi
done
if [ "$mode" = --help-pictures ]; then
    mkdir -p "$2"
    out=$(cd "$2" && pwd)
else
    out_dir=$(cd "$(dirname "$2")" && pwd)
    out="$out_dir/$(basename "$2")"
fi

# One locale for every screenshot: "." as the decimal separator, in the windows and in the
# timing arithmetic above.
exec env ZEL_SCREENSHOT_INSIDE=1 LC_ALL=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$BASH" "$HERE/screenshot.sh" ${mode:+"$mode"} "$build" "$out"
