#!/usr/bin/env bash
# Installs every build and test dependency from Debian's packages, but only what is missing.
# Safe to run again and again; needs root (or sudo) only when something must be installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev            # libFuzzer and the sanitizer runtimes
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev                          # SHA-256 of the golden checksums in the tests
  libcli11-dev                        # argument parsing of trimvale-cli
  qt6-base-dev qt6-webengine-dev      # the desktop program (widgets, print, test, web views)
  xvfb xauth                          # a virtual display for the web views in tests and the demo
  at-spi2-core dbus-daemon python3-pyatspi  # the accessibility bus, for the test that drives the window by name
  desktop-file-utils                  # the package test checks the installed desktop entry
)
if [ "${TRIMVALE_WITH_FIDELITY:-0}" = 1 ]; then
  # Fonts with the metrics of the fonts word processors name (Times New Roman, Arial, Courier
  # New), and CJK glyphs, so that pages render as text rather than as boxes.
  packages+=(chromium tidy imagemagick fonts-liberation fonts-noto-cjk)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
