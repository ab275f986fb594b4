#!/usr/bin/env bash
# Checks that a zelcomm build exports exactly the functions its public header declares, each
# under its plain name.
#   check_exports.sh elf <libzelcomm.so> <zelcomm.h>
#   check_exports.sh dll <source-dir> <build-dir> <zelcomm.h>   (cross-builds zelcomm.dll first;
#                                                                 exits 77 without mingw-w64)
set -euo pipefail

header_names() {
    grep -o 'ZELAPI [A-Za-z_][A-Za-z0-9_]*(' "$1" | sed 's/^ZELAPI //; s/($//' | sort -u
}

compare() {  # expected actual label
    if ! diff -u <(printf '%s\n' "$1") <(printf '%s\n' "$2") > /tmp/zel-exports.$$; then
        echo "$3: exports differ from the header (- header, + library):"
        cat /tmp/zel-exports.$$
        rm -f /tmp/zel-exports.$$
        exit 1
    fi
    rm -f /tmp/zel-exports.$$
    echo "$3: $(printf '%s\n' "$2" | wc -l) exports, as declared"
}

case "${1:-}" in
elf)
    lib=$2 header=$3
    expected=$(header_names "$header")
    actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TtWw]$/ {print $3}' | sort -u)
    compare "$expected" "$actual" "$(basename "$lib")"
    ;;
dll)
    src=$2 build=$3 header=$4
    if ! command -v i686-w64-mingw32-g++ > /dev/null; then
        echo "i686-w64-mingw32-g++ not installed: skipped (make deps installs it)"
        exit 77
    fi
    cmake -S "$src/zelcomm" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" > "$build.log" 2>&1 ||
        { cat "$build.log"; exit 1; }
    cmake --build "$build" >> "$build.log" 2>&1 || { cat "$build.log"; exit 1; }
    if grep -q 'warning:' "$build.log"; then
        grep 'warning:' "$build.log"
        echo "the Windows build has warnings"
        exit 1
    fi
    dll="$build/zelcomm.dll"
    i686-w64-mingw32-objdump -f "$dll" | grep -q 'file format pei-i386' ||
        { echo "$dll is not a 32-bit Windows DLL"; exit 1; }
    expected=$(header_names "$header")
    actual=$(i686-w64-mingw32-objdump -p "$dll" |
        sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort -u)
    compare "$expected" "$actual" "zelcomm.dll"
    ;;
*)
    echo "usage: $0 elf <lib> <header> | dll <source-dir> <build-dir> <header>" >&2
    exit 2
    ;;
esac
