#!/usr/bin/env bash
# Takes the README's screenshot: zelapp with the demo setup on an emulated unit, main window,
# numbers and bars side by side, on a virtual X screen.
#
#   tools/screenshot.sh <build-dir> <output.png>
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

inside() {
    BUILD=$1
    local out=$2 repo
    repo=$(cd "$HERE/.." && pwd)

    WORK=$(mktemp -d "${TMPDIR:-/tmp}/zel8-shot.XXXXXX")
    EMULATOR_PID=""
    APP_PID=""
    trap 'stop_process "$APP_PID"; stop_process "$EMULATOR_PID"; rm -rf "$WORK"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY

    MESSAGE_SHOT="${out%.png}.message.png"
    private_program_folder "$BUILD" "$WORK/bin"
    start_emulator "$BUILD" "$WORK"
    # By its bare name from its own folder, as tools/run-demo.sh does.
    (cd "$repo/examples" && exec "$WORK/bin/zelapp" /NUMS /BARS demo.zel) \
        >"$WORK/zelapp.log" 2>&1 &
    APP_PID=$!

    local main grid bars
    main=$(find_window '^ZEL-32 \[') || { cat "$WORK/zelapp.log" >&2; exit 1; }
    grid=$(find_window '^Channels$') || { cat "$WORK/zelapp.log" >&2; exit 1; }
    bars=$(find_window '^Display Channels$') || { cat "$WORK/zelapp.log" >&2; exit 1; }
    local shown_at=$EPOCHREALTIME

    # No window manager: no frames, and the windows sit where they placed themselves. The main
    # window goes top left, the grid under it, the bars to the right of both.
    local mainW mainH gridW gridH barsW barsH
    read -r mainW mainH < <(window_size "$main")
    read -r gridW gridH < <(window_size "$grid")
    read -r barsW barsH < <(window_size "$bars")
    local mainX=$MARGIN mainY=$MARGIN
    local gridX=$MARGIN gridY=$((MARGIN + mainH + MARGIN))
    local left=$((mainW > gridW ? mainW : gridW))
    local barsX=$((MARGIN + left + MARGIN)) barsY=$MARGIN
    xdotool windowmove --sync "$main" "$mainX" "$mainY"
    xdotool windowmove --sync "$grid" "$gridX" "$gridY"
    xdotool windowmove --sync "$bars" "$barsX" "$barsY"
    local width=$((barsX + barsW + MARGIN))
    local bottom=$((gridY + gridH > barsY + barsH ? gridY + gridH : barsY + barsH))
    local height=$((bottom + MARGIN))

    # As the operator does: once a part has settled on the gauge (a few scan ticks after the
    # windows came up), press Reset so that Runout measures this part only, then take the
    # picture while the part still turns (within two part cycles; 15 s at most).
    local now seconds waited
    for ((waited = 0; waited < 300; waited++)); do
        now=$EPOCHREALTIME
        seconds=$(unit_seconds)
        if awk -v a="$shown_at" -v b="$now" 'BEGIN { exit !(b - a >= 1.5) }' &&
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

    import -window root "$WORK/screen.png"
    # The three windows cut from the screen onto a plain background of the same size.
    "$CONVERT" -size "${width}x${height}" "xc:$BACKGROUND" \
        \( "$WORK/screen.png" -crop "${mainW}x${mainH}+${mainX}+${mainY}" +repage \) \
        -geometry "+${mainX}+${mainY}" -composite \
        \( "$WORK/screen.png" -crop "${gridW}x${gridH}+${gridX}+${gridY}" +repage \) \
        -geometry "+${gridX}+${gridY}" -composite \
        \( "$WORK/screen.png" -crop "${barsW}x${barsH}+${barsX}+${barsY}" +repage \) \
        -geometry "+${barsX}+${barsY}" -composite \
        "$out"
    echo "Wrote $out (${width}x${height})."
}

if [ "${ZEL_SCREENSHOT_INSIDE:-}" = 1 ]; then
    inside "$@"
    exit 0
fi

if [ $# -ne 2 ]; then
    echo "Usage: $0 <build-dir> <output.png>" >&2
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
out_dir=$(cd "$(dirname "$2")" && pwd)
out="$out_dir/$(basename "$2")"

# One locale for every screenshot: "." as the decimal separator, in the windows and in the
# timing arithmetic above.
exec env ZEL_SCREENSHOT_INSIDE=1 LC_ALL=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$BASH" "$HERE/screenshot.sh" "$build" "$out"
