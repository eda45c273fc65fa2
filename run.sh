#!/usr/bin/env bash
# Installs what is missing, builds, starts the local service emulator on a free loopback
# port and opens the main window against it. The program runs from a demo folder of its
# own (demo/), so the credentials and preferences of a real installation are never
# touched; its "appcred" holds the emulator's demo credentials. Closing the window stops
# the emulator.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

./scripts/install-deps.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found (DISPLAY/WAYLAND_DISPLAY are unset); the window needs a desktop session." >&2
    exit 1
fi

build_dir=${MARLIN_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build_dir" -j2 --target marlin-skimmer marlin-emulator marlin_scorer
bin="$root/$build_dir/bin"

# The emulator prints its port first, then the demo application's name, key and secret and the
# demo Bluesky account's handle and app password.
work=$(mktemp -d)
emulator_pid=""
cleanup() {
    if [ -n "$emulator_pid" ] && kill -0 "$emulator_pid" 2>/dev/null; then
        kill "$emulator_pid" 2>/dev/null || true
        wait "$emulator_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$bin/marlin-emulator" --host 127.0.0.1 --port 0 >"$work/emulator.out" 2>"$work/emulator.err" &
emulator_pid=$!
for _ in $(seq 1 100); do
    grep -q '^bluesky app password:' "$work/emulator.out" 2>/dev/null && break
    if ! kill -0 "$emulator_pid" 2>/dev/null; then
        echo "The emulator did not start:" >&2
        cat "$work/emulator.err" >&2
        exit 1
    fi
    sleep 0.1
done
port=$(head -n 1 "$work/emulator.out")
field() { sed -n "s/^$1: //p" "$work/emulator.out" | head -n 1; }
app_name=$(field "application name")
consumer_key=$(field "consumer key")
consumer_secret=$(field "consumer secret")
bsky_handle=$(field "bluesky handle")
bsky_app_password=$(field "bluesky app password")
if [ -z "$port" ] || [ -z "$consumer_secret" ]; then
    echo "The emulator did not report its port and demo credentials." >&2
    exit 1
fi

# The demo program folder: the program, the scorer and its lexicon, and the credentials.
demo="$root/demo"
mkdir -p "$demo/bin"
cp -f "$bin/marlin-skimmer" "$demo/"
cp -f "$bin/bin/support.dll" "$demo/bin/"
rm -rf "$demo/SentiStrengthData"
cp -r "$bin/SentiStrengthData" "$demo/"
# The program's own single-line form: Base64 of name, key and secret joined by CR LF.
(
    umask 077
    printf '%s\r\n%s\r\n%s' "$app_name" "$consumer_key" "$consumer_secret" | base64 -w 0 >"$demo/appcred"
    printf '\r\n' >>"$demo/appcred"
)

echo "Service emulator on http://127.0.0.1:$port (demo application \"$app_name\")"
echo "Bluesky demo account: $bsky_handle (app password $bsky_app_password)"
echo "Program folder: $demo"
MARLIN_API_BASE="http://127.0.0.1:$port" MARLIN_BSKY_BASE="http://127.0.0.1:$port" \
    MARLIN_BSKY_HANDLE="$bsky_handle" MARLIN_BSKY_APP_PASSWORD="$bsky_app_password" "$demo/marlin-skimmer"
