#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build folder and runs each briefly, so
# they keep building and the parsers get a short fuzzing pass on every test run.
#   run_fuzzers.sh <source folder> <build folder> <seconds per target>
set -euo pipefail
source_dir=$1
build_dir=$2
seconds=$3

if ! command -v clang++ >/dev/null; then
    echo "clang++ is missing: run 'make deps'" >&2
    exit 1
fi
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DZEL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets="fuzz_formula fuzz_frame fuzz_ini fuzz_setup_file fuzz_amp_profile fuzz_parts_db"
cmake --build "$build_dir" --target $targets

# A few well-formed starting points, so the short runs reach past the first checks.
seeds="$build_dir/corpus/fuzz_formula"
mkdir -p "$seeds" "$build_dir/corpus/fuzz_frame" "$build_dir/corpus/fuzz_ini" \
    "$build_dir/corpus/fuzz_setup_file" "$build_dir/corpus/fuzz_amp_profile" \
    "$build_dir/corpus/fuzz_parts_db"
printf '(T1+T2)/2' >"$seeds/diameter"
printf 'GOR(T1:T4,T6)-LOR(T1:T4,T6)' >"$seeds/sets"
printf 'TIR(C1)*0.5+ABS(-1.5E-3)' >"$seeds/dynamic"
printf 'SQRT(A1*A1+C2)' >"$seeds/root"
printf '[ZELAPP Version 6.01]\r\n[General Setup]\r\nMaxChannel= 8 \r\nLvdtFSV=  .05 \r\n' \
    >"$build_dir/corpus/fuzz_ini/default"
cp "$source_dir/tests/fuzz/seed_setup.zel" "$build_dir/corpus/fuzz_setup_file/seed" 2>/dev/null || true
# The profile seed starts with the probe count byte that fuzz_amp_profile reads first.
cp "$source_dir/tests/fuzz/seed_amp_profile.zap" "$build_dir/corpus/fuzz_amp_profile/seed" 2>/dev/null || true
# Patches of the history's pages: the header, a table's root page, a row's bytes.
printf '\x00\x10\x00\x04\xff\xff\xff\xff' >"$build_dir/corpus/fuzz_parts_db/header"
printf '\x02\x00\x00\x08\x0d\x00\x00\x00\x09\x0f\x00\x00' >"$build_dir/corpus/fuzz_parts_db/root"
printf '\x03\xf0\x0f\x02\x7f\x7f' >"$build_dir/corpus/fuzz_parts_db/row"

status=0
for target in $targets; do
    log="$build_dir/$target.log"
    echo "== $target: ${seconds}s"
    if "$build_dir/bin/$target" -max_total_time="$seconds" -seed=1 -print_final_stats=1 \
        "$build_dir/corpus/$target" >"$log" 2>&1; then
        tail -n 8 "$log"
    else
        cat "$log"
        status=1
    fi
done
exit $status
