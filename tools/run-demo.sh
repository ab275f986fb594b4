#!/usr/bin/env bash
# Runs the operator's program on an emulated unit with the demo setup: what `make run` starts.
#
#   tools/run-demo.sh <build-dir>
#
# The emulator (zel8d with the shaft-gauging demo signal) serves a private device folder, so it
# never meets another emulator or a test's; the program finds it through ZEL_DEVICE_DIR. Closing
# the program (or Ctrl+C) stops the emulator and removes the folder.
#
# tools/screenshot.sh sources this file for the emulator's start and stop; main only runs when
# the file is executed.
set -euo pipefail

# Starts `<build>/bin/zel8d --signal demo` serving the device folder "<work>/zel8" and waits for
# its READY line (at most 10 s). Exports ZEL_DEVICE_DIR and sets EMULATOR_PID. On failure prints
# why, with the emulator's log, and returns 1.
start_emulator() {
    local build=$1 work=$2
    local ready="$work/ready" log="$work/zel8d.log" line=""
    export ZEL_DEVICE_DIR="$work/zel8"
    mkfifo "$ready"
    # The fifo ends the wait either way: READY once every socket is served, end of file when the
    # emulator exits without serving (bad folder, socket in use).
    "$build/bin/zel8d" --signal demo --ready-fd 3 3>"$ready" 2>"$log" &
    EMULATOR_PID=$!
    read -r -t 10 line <"$ready" || true
    rm -f "$ready"
    if [ "$line" != "READY" ]; then
        echo "The emulated unit did not start:" >&2
        cat "$log" >&2 || true
        stop_process "$EMULATOR_PID"
        EMULATOR_PID=""
        return 1
    fi
}

# Stops a child process: SIGTERM, up to 5 s for it to end, then SIGKILL.
stop_process() {
    local pid=${1:-}
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    local i
    for ((i = 0; i < 100; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

main() {
    if [ $# -ne 1 ]; then
        echo "Usage: $0 <build-dir>" >&2
        exit 2
    fi
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: make run needs a graphical session (X11 or Wayland)." >&2
        exit 1
    fi
    local build repo
    build=$(cd "$1" && pwd)
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    local program
    for program in zel8d zelapp; do
        if [ ! -x "$build/bin/$program" ]; then
            echo "$build/bin/$program is missing: build first (make build)." >&2
            exit 1
        fi
    done

    WORK=$(mktemp -d "${TMPDIR:-/tmp}/zel8-demo.XXXXXX")
    EMULATOR_PID=""
    APP_PID=""
    trap 'stop_process "$APP_PID"; stop_process "$EMULATOR_PID"; rm -rf "$WORK"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    start_emulator "$build" "$WORK"
    echo "Emulated ZEL-8 unit running (demo signal); device folder $ZEL_DEVICE_DIR."
    # The program works on a copy in the build folder, so File/Save never changes the shipped
    # example; the copy keeps the operator's changes from one run to the next.
    local jobs="$build/demo"
    mkdir -p "$jobs"
    [ -e "$jobs/demo.zel" ] || cp "$repo/examples/demo.zel" "$jobs/demo.zel"
    # Its part program (Parts > Part Program...) goes with it, the same way.
    [ -e "$jobs/demo.zpart" ] || cp "$repo/examples/demo.zpart" "$jobs/demo.zpart"
    echo "Starting zelapp with $jobs/demo.zel (a copy of examples/demo.zel); closing it stops the unit."
    echo "Live values for other programs: $build/bin/zeldde advise 'labelChan(1)' (docs/live-values.md)."
    # The setup goes by its bare name from its own folder: the program splits its command line
    # at blanks, so a folder with a blank in its path would not load.
    # In the background, so that a signal to this script is handled at once, not only after
    # the program has ended; exec, so that APP_PID is the program itself.
    (cd "$jobs" && exec "$build/bin/zelapp" /NUMS /BARS demo.zel) &
    APP_PID=$!
    local status=0
    wait "$APP_PID" || status=$?
    APP_PID=""
    exit "$status"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    main "$@"
fi
