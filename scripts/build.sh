#!/usr/bin/env bash
# Configures and builds into the given folder (default: build). Extra arguments go to cmake.
# NOTAVO_TARGET=notavo builds the program alone (what running needs), not the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" ${NOTAVO_TARGET:+--target "$NOTAVO_TARGET"}
