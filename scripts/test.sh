#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test. Under CI (CI set)
# each fuzz target then runs for 30 seconds on its corpus, and the suite runs a second time in an
# AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

run_suite() {
    local dir=$1
    shift
    bash scripts/build.sh "$dir" -DNOTAVO_WERROR=ON "$@"
    (cd "$dir" && ctest --output-on-failure --timeout 300 -j"$(nproc)")
}

# The package test installs the .deb system-wide, so it runs where we are root (CI is).
package_test=OFF
[[ $(id -u) -eq 0 ]] && package_test=ON
run_suite build -DNOTAVO_PACKAGE_TEST=$package_test
if [[ -n ${CI:-} ]]; then
    bash scripts/fuzz.sh --seconds 30
fi
if [[ -n ${CI:-} || -n ${NOTAVO_SANITIZE:-} ]]; then
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_suite build-asan -DNOTAVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DNOTAVO_PACKAGE_TEST=OFF
fi
