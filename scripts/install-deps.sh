#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the demo need, when
# any is missing. (The benchmarks time CPython's json and pandas as peers.)
set -euo pipefail

packages=(
    g++ cmake make pkg-config git ca-certificates
    qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core xvfb
    fonts-noto-core fonts-noto-color-emoji
    qt6-charts-dev qt6-svg-dev
    libxlsxwriter-dev python3-openpyxl python3-networkx
    libcurl4-openssl-dev libssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libcpp-httplib-dev libsimdjson-dev
    libsqlite3-dev
    default-jdk-headless
    clang libclang-rt-14-dev
    clang-format
    dpkg-dev file
    python3 python3-tweepy python3-pandas
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi

# The second service's own client for the tests, from the npm registry, at the version the lock file
# pins (one that runs on Node 20). Node and npm come from the system's packages when they are missing.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y -q nodejs npm
fi
client="$(dirname "$0")/../tests/emulator/atproto_client"
if ! cmp -s "$client/package-lock.json" "$client/node_modules/.installed-lock.json" 2>/dev/null; then
    echo "Installing the test client @atproto/api"
    (cd "$client" && npm ci --no-audit --no-fund --loglevel=error &&
        cp package-lock.json node_modules/.installed-lock.json)
fi
