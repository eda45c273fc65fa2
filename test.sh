#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
#   ./test.sh              Release build in build/, every test
#   ./test.sh --sanitize   AddressSanitizer + UBSan build in build-sanitize/, every test
#   ./test.sh --fuzz       also builds the fuzz targets with clang and runs each for 30 s
set -euo pipefail
cd "$(dirname "$0")"

mode=normal
for arg in "$@"; do
    case "$arg" in
        --sanitize) mode=sanitize ;;
        --fuzz) mode=fuzz ;;
        *) echo "usage: $0 [--sanitize|--fuzz]" >&2; exit 2 ;;
    esac
done

./scripts/install-deps.sh

build_dir=build
cmake_args=(-DCMAKE_BUILD_TYPE=Release)
case "$mode" in
    sanitize) build_dir=build-sanitize; cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARLIN_SANITIZE=ON -DMARLIN_BENCH=OFF) ;;
    fuzz) build_dir=build-fuzz; cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DMARLIN_FUZZ=ON -DMARLIN_GUI=OFF -DMARLIN_BENCH=OFF) ;;
esac

cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j2

export QT_QPA_PLATFORM=offscreen
if [ "$mode" = sanitize ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
(cd "$build_dir" && ctest --output-on-failure -j2 --timeout 300)

if [ "$mode" = fuzz ]; then
    ./scripts/run-fuzzers.sh "$build_dir" 30
fi
