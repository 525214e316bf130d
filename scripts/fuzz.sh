#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for a while on its seed corpus in fuzz/corpus/<target>.
#   bash scripts/fuzz.sh                   every target for 30 seconds
#   bash scripts/fuzz.sh --seconds 600     longer runs
#   bash scripts/fuzz.sh fuzz_document     only the named targets
# New inputs go to build-fuzz/fuzz-work/<target>, failing ones to build-fuzz/fuzz-artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=30
targets=()
while (($#)); do
    case $1 in
    --seconds) seconds=$2; shift 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
if [[ ${#targets[@]} -eq 0 ]]; then
    for source in fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DNOTAVO_FUZZ=ON -DNOTAVO_E2E=OFF >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in "${targets[@]}"; do
    work=$dir/fuzz-work/$target
    mkdir -p "$work" "$dir/fuzz-artifacts"
    log=$dir/fuzz-work/$target.log
    start=$SECONDS
    status=0
    nice "$dir/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$dir/fuzz-artifacts/$target-" "$work" "fuzz/corpus/$target" \
        >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    printf '%-16s %10s executions in %4ss (%s/s), coverage %s edges%s\n' "$target" \
        "${runs:-?}" "$((SECONDS - start))" "${rate:-?}" "${cov:-?}" \
        "$([[ $status -eq 0 ]] || echo ", FAILED")"
    if [[ $status -ne 0 ]]; then
        tail -n 40 "$log"
        failed+=("$target")
    fi
done
if [[ ${#failed[@]} -ne 0 ]]; then
    echo "fuzzing found failures in: ${failed[*]} (inputs in $dir/fuzz-artifacts)"
    exit 1
fi
