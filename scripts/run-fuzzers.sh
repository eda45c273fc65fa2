#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a while and fails on any crash, sanitizer
# report, time-out or memory blow-up.
#
#   scripts/run-fuzzers.sh <build_dir> <seconds> [target...]
#
# <build_dir> is a build configured with -DMARLIN_FUZZ=ON (./test.sh --fuzz makes build-fuzz).
# Without target names every target in <build_dir>/fuzz-targets.txt runs, <seconds> each.
# FUZZ_JOBS=n runs n targets at a time (default 1). Each target starts from the seeds in
# fuzz/corpus/<target>/ and from what earlier runs of this build found
# (<build_dir>/fuzz-corpus/<target>/, where new inputs go). Logs and any crashing input land
# in <build_dir>/fuzz-logs/ and <build_dir>/fuzz-artifacts/; the figures of every target
# (executions, coverage, peak memory) are printed at the end and kept in
# <build_dir>/fuzz-summary.txt.
set -uo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 <build_dir> <seconds> [target...]" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
jobs=${FUZZ_JOBS:-1}

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < <(grep -v '^$' "$build_dir/fuzz-targets.txt")
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets in $build_dir (configure with -DMARLIN_FUZZ=ON)" >&2
    exit 2
fi

mkdir -p "$build_dir/fuzz-logs" "$build_dir/fuzz-artifacts"

run_one() {
    local target=$1 name=${1#fuzz_}
    local program="$build_dir/bin/$target"
    local corpus="$build_dir/fuzz-corpus/$name"
    local seeds="$source_dir/fuzz/corpus/$name"
    local artifacts="$build_dir/fuzz-artifacts/$name/"
    local log="$build_dir/fuzz-logs/$name.log"
    mkdir -p "$corpus" "$artifacts"
    local options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
                   -artifact_prefix="$artifacts")
    # Per-target flags, e.g. -max_len for the readers of long texts.
    # A dictionary named without a folder lives in fuzz/.
    if [ -f "$source_dir/fuzz/$name.options" ]; then
        local extra option
        read -r -a extra < "$source_dir/fuzz/$name.options"
        for option in "${extra[@]}"; do
            case "$option" in
                -dict=*/*) ;;
                -dict=*) option="-dict=$source_dir/fuzz/${option#-dict=}" ;;
            esac
            options+=("$option")
        done
    fi
    local dirs=("$corpus")
    [ -d "$seeds" ] && dirs+=("$seeds")

    local started=$SECONDS
    "$program" "${options[@]}" "${dirs[@]}" > "$log" 2>&1
    local status=$?
    local took=$((SECONDS - started))

    local runs cov ft rss
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    local verdict=ok
    [ $status -ne 0 ] && verdict="FAILED (exit $status)"
    printf '%-22s %-18s runs %-10s cov %-6s ft %-6s rss %4s MB  %4ss\n' \
        "$name" "$verdict" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${rss:-?}" "$took" > "$build_dir/fuzz-logs/$name.summary"
    if [ $status -ne 0 ]; then
        echo "---- $name failed; the end of $log:" >&2
        tail -n 60 "$log" >&2
        ls "$artifacts" >&2
    fi
    return $status
}

failed=0
running=0
for target in "${targets[@]}"; do
    if [ ! -x "$build_dir/bin/$target" ]; then
        echo "missing fuzz target $build_dir/bin/$target" >&2
        failed=1
        continue
    fi
    echo "fuzzing ${target#fuzz_} for ${seconds}s"
    run_one "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done

{
    for target in "${targets[@]}"; do
        cat "$build_dir/fuzz-logs/${target#fuzz_}.summary" 2>/dev/null
    done
} | tee "$build_dir/fuzz-summary.txt"
if [ $failed -ne 0 ]; then
    echo "fuzzing found a fault: see $build_dir/fuzz-artifacts/" >&2
    exit 1
fi
