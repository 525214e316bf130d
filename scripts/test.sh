#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test. Under CI (CI set)
# each fuzz target then runs for 30 seconds on its corpus, the suite runs a second time in an
# AddressSanitizer + UndefinedBehaviorSanitizer build, and the tests of work on worker threads
# (long work, search, save faults, the editing box, the recovery journal) a third time under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

# The package test installs the .deb system-wide, so it runs where we are root (CI is).
package_test=OFF
[[ $(id -u) -eq 0 ]] && package_test=ON
options=(-DNOTAVO_WERROR=ON -DNOTAVO_PACKAGE_TEST=$package_test)
# --options: the build's options, which scripts/run.sh builds with too.
if [[ ${1:-} == --options ]]; then
    echo "${options[@]}"
    exit 0
fi
bash scripts/deps.sh

run_suite() {
    local dir=$1
    shift
    bash scripts/build.sh "$dir" "$@"
    (cd "$dir" && ctest --output-on-failure --timeout 300 -j"$(nproc)")
}

run_suite build "${options[@]}"
if [[ -n ${CI:-} ]]; then
    bash scripts/fuzz.sh --seconds 30
fi
if [[ -n ${CI:-} || -n ${NOTAVO_SANITIZE:-} ]]; then
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_suite build-asan -DNOTAVO_WERROR=ON -DNOTAVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
        -DNOTAVO_PACKAGE_TEST=OFF
fi
if [[ -n ${CI:-} || -n ${NOTAVO_TSAN:-} ]]; then
    # Qt is not built with ThreadSanitizer: its own threads (the image thread pool) synchronise
    # in code the sanitizer cannot see, so only accesses from our instrumented code are checked.
    # QProcess starts programs with vfork, whose child marks the shared parent as forked while
    # multi-threaded; die_after_fork=0 keeps the parent running its later threads.
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:die_after_fork=0
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOTAVO_TSAN=ON \
        -DNOTAVO_WERROR=ON -DNOTAVO_E2E=OFF -DNOTAVO_PACKAGE_TEST=OFF >/dev/null
    cmake --build build-tsan --parallel "$(nproc)" --target tst_LongWork tst_SaveFaults tst_TextView \
        tst_FindCommands tst_TextBuffer tst_RecoveryJournal tst_Recovery
    (cd build-tsan && ctest --output-on-failure \
        -R '\.tst_(LongWork|SaveFaults|TextView|FindCommands|TextBuffer|RecoveryJournal|Recovery)$')
fi
