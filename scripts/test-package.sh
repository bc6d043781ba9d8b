#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from the release build in build/, installs it on
# this machine with apt-get as a user would, checks it with lintian and the
# installed program, menu entry and metadata, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

rm -f build/veltrano_*.deb
cmake --build build --target package
deb=$(realpath build/veltrano_*.deb)
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) kB"
dpkg-deb --field "$deb" Installed-Size Depends Recommends Suggests
# No errors; the warnings that remain are explained in CONTRIBUTING.md.
lintian --fail-on error "$deb"
# The installed names, from the package itself.
desktop=$(dpkg-deb --contents "$deb" | grep -o '/usr/share/applications/.*\.desktop$')
metainfo=$(dpkg-deb --contents "$deb" | grep -o '/usr/share/metainfo/.*\.xml$')

trap 'DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq veltrano' EXIT
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$deb"
/usr/bin/veltrano --version
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
