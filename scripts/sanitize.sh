#!/usr/bin/env bash
# Builds Brindlecot with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (or $BUILD_DIR) and runs the whole test suite there. Any finding
# (memory error, leak, undefined behaviour) fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$root/build-asan}"
export BUILD_TYPE="${BUILD_TYPE:-Debug}"
# Line tables only (-g1): the sanitizers' reports still name each file and
# line, and the objects and links are lighter than with full debug data.
export CMAKE_ARGS="${CMAKE_ARGS:-} -DBRINDLECOT_SANITIZE=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan-suppressions.txt}"
exec "$root/scripts/test.sh"
