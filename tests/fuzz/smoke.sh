#!/usr/bin/env bash
# Builds the fuzz targets in build/fuzz and runs each one briefly on a copy of its seeds:
#   tests/fuzz/smoke.sh [SECONDS]        (20 seconds a target unless given)
# Prints each target's executions and coverage; exits non-zero when a target finds anything
# (a failed check, a sanitizer report, a leak, a time-out), printing it and its reproducer.
# PECUN_FUZZ_BUILD_JOBS sets the build's parallel jobs (all cores unless given).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/fuzz"
. "$root/tests/fuzz/common.sh"
seconds=${1:-20}
targets=(money update_list settings entry feed nbp)

if ! fuzz_build; then
    echo "fuzz targets: the build failed" >&2
    exit 1
fi

# The last figures libFuzzer printed: executions, coverage and features.
report() {  # target, log
    local execs cov ft
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$2" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$2" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$2" | tail -n 1 | cut -d' ' -f2)
    echo "$1: ${execs:-?} execs, cov: ${cov:-?} (ft: ${ft:-?})"
}

status=0
for t in "${targets[@]}"; do
    work="$build/smoke/$t"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp "$root/tests/fuzz/corpus/$t/"* "$work/corpus/"
    dict=()
    [ -f "$root/tests/fuzz/dict/$t.dict" ] && dict=(-dict="$root/tests/fuzz/dict/$t.dict")
    (cd "$work" && "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        "${fuzz_options[@]}" "${dict[@]}" -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1)
    rc=$?
    report "$t" "$work/log"
    reproducers=$(find "$work/artifacts" -type f)
    if [ $rc -ne 0 ] || [ -n "$reproducers" ]; then
        status=1
        echo "$t: FINDING (exit status $rc); the log is $work/log"
        grep -A 4 -E 'PECUN FUZZ FINDING|ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer)|runtime error' \
            "$work/log" | head -n 20 | sed 's/^/    /'
        for r in $reproducers; do echo "    reproducer: $r"; done
    fi
done
exit $status
