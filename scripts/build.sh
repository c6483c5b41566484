#!/usr/bin/env bash
# Configures and builds Brindlecot in build/ (or $BUILD_DIR) with two jobs.
# WERROR=ON makes every compiler warning an error (as .ci/run does).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
  -DBRINDLECOT_WERROR="${WERROR:-OFF}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2
