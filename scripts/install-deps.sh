#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Veltrano needs to build and run on Debian 12, with --tests also
# what its whole test run needs (scripts/test.sh).
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  g++ cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-qpa-plugins libpulse-dev fonts-liberation
  libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev libxcb1-dev libxcb-shm0-dev libxcb-shape0-dev libx11-dev libxext-dev
  pulseaudio pulseaudio-utils sox xvfb xdotool imagemagick libxfixes3 python3
)
# Only with --tests: what the whole test run needs besides. PipeWire's servers
# are left out of a plain install, since on a desktop that runs PulseAudio
# they would start beside it at the next login.
if [ "${1:-}" = "--tests" ]; then
  packages+=(
    # The audio and end-to-end tests run on PipeWire's PulseAudio server too.
    pipewire pipewire-pulse wireplumber dbus-daemon
    # The cross-build for 64-bit ARM and its test run.
    g++-aarch64-linux-gnu qemu-user
    # The Debian package, and the checks of its menu entry and metadata.
    dpkg-dev desktop-file-utils appstream lintian
    # The stacks of a program that does not end when its window closes.
    gdb
    # The card report's HTML checked as well-formed XML.
    libxml2-utils
    # dbus-launch: what would start a session bus for a display without one.
    dbus-x11
    # What a screen reader finds, on a private accessibility bus.
    at-spi2-core python3-pyatspi
  )
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--tests]" >&2
  exit 2
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
