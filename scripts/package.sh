#!/usr/bin/env bash
# Builds the Debian package of the program into the build folder ($MARLIN_BUILD_DIR, default
# build/): a Release build when the folder is new, the install tree, then `cpack -G DEB`.
# Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

build_dir=${MARLIN_BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release
else
    cmake -S . -B "$build_dir"
fi
cmake --build "$build_dir" -j2

if ! grep -q '^MARLIN_GUI:BOOL=ON' "$build_dir/CMakeCache.txt"; then
    echo "$build_dir is configured without the desktop program (MARLIN_GUI=OFF)." >&2
    exit 1
fi
if [ ! -f "$build_dir/bin/bin/support.dll" ]; then
    echo "The scorer stand-in is not built (no JDK); the package would come without it." >&2
    exit 1
fi

(cd "$build_dir" && cpack -G DEB)
package=$(ls -t "$build_dir"/marlin-skimmer_*.deb | head -n 1)
echo "$package"
