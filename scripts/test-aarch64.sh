#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the libraries free of Qt and their unit tests for 64-bit ARM and
# runs the tests under qemu-user, where the portable kernels are the only ones.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build-aarch64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRANO_CORE_ONLY=ON -DVELTRANO_WERROR=ON
cmake --build build-aarch64 -j "$jobs"
ctest --test-dir build-aarch64 --output-on-failure -j "$jobs"
