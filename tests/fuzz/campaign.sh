#!/usr/bin/env bash
# A fuzzing campaign: every target (or those named) for SECONDS each, or for its own time
# where named as TARGET:SECONDS, at most as many at once as the machine has cores
# (PECUN_FUZZ_PARALLEL lowers it), in the order named:
#   tests/fuzz/campaign.sh SECONDS [TARGET[:SECONDS]...]
# The corpora grow under build/fuzz/campaign/<target>/corpus, starting from the seeds, and
# are kept for the next campaign; nothing is written to the repository. Prints for each
# target its executions, executions per second, coverage and corpus, and every finding with
# its reproducer; exits non-zero when there was one.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/fuzz"
. "$root/tests/fuzz/common.sh"
if [ $# -lt 1 ] || ! [ "$1" -gt 0 ] 2>/dev/null; then
    echo "usage: $0 SECONDS [TARGET[:SECONDS]...]" >&2
    exit 2
fi
seconds=$1
shift
named=("$@")
[ ${#named[@]} -eq 0 ] && named=(money update_list settings entry feed nbp)
targets=()
declare -A time_of
for arg in "${named[@]}"; do
    t=${arg%%:*}
    time_of[$t]=$seconds
    if [ "$arg" != "$t" ]; then
        time_of[$t]=${arg#*:}
        if ! [ "${time_of[$t]}" -gt 0 ] 2>/dev/null; then
            echo "$0: $arg: the time is not a number of seconds" >&2
            exit 2
        fi
    fi
    targets+=("$t")
done
parallel=$(nproc)
if [ -n "${PECUN_FUZZ_PARALLEL:-}" ] && [ "$PECUN_FUZZ_PARALLEL" -lt "$parallel" ]; then
    parallel=$PECUN_FUZZ_PARALLEL
fi

if ! fuzz_build; then
    echo "fuzz targets: the build failed" >&2
    exit 1
fi

run() {  # target
    local t=$1 work="$build/campaign/$1" dict=()
    mkdir -p "$work/corpus" "$work/artifacts"
    cp -n "$root/tests/fuzz/corpus/$t/"* "$work/corpus/"
    [ -f "$root/tests/fuzz/dict/$t.dict" ] && dict=(-dict="$root/tests/fuzz/dict/$t.dict")
    (cd "$work" && "$build/fuzz_$t" -max_total_time="${time_of[$t]}" -timeout=30 -print_final_stats=1 \
        "${fuzz_options[@]}" "${dict[@]}" -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1)
    echo $? >"$work/status"
}

echo "campaign: ${#targets[@]} targets ($(for t in "${targets[@]}"; do printf '%s %s s, ' "$t" "${time_of[$t]}"; done | sed 's/, $//')), $parallel at once, started $(date '+%F %T')"
running=0
for t in "${targets[@]}"; do
    if [ ! -x "$build/fuzz_$t" ]; then
        echo "no target $t" >&2
        exit 2
    fi
    rm -f "$build/campaign/$t/status"
    run "$t" &
    running=$((running + 1))
    if [ $running -ge "$parallel" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

status=0
total=0
printf '%-12s %12s %8s %6s %7s %8s %9s  %s\n' target execs exec/s cov ft corpus bytes finding
for t in "${targets[@]}"; do
    work="$build/campaign/$t"
    log="$work/log"
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    units=$(find "$work/corpus" -type f | wc -l)
    bytes=$(du -sb "$work/corpus" | cut -f1)
    reproducers=$(find "$work/artifacts" -type f)
    rc=$(cat "$work/status" 2>/dev/null || echo '?')
    finding=none
    if [ "$rc" != 0 ] || [ -n "$reproducers" ]; then
        finding="exit status $rc"
        status=1
    fi
    total=$((total + ${execs:-0}))
    printf '%-12s %12s %8s %6s %7s %8s %9s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" \
        "${ft:-?}" "$units" "$bytes" "$finding"
done
echo "total executions: $total"

for t in "${targets[@]}"; do
    work="$build/campaign/$t"
    reproducers=$(find "$work/artifacts" -type f)
    if [ "$(cat "$work/status" 2>/dev/null)" != 0 ] || [ -n "$reproducers" ]; then
        echo "== $t: finding; the log is $work/log"
        grep -A 4 -E 'PECUN FUZZ FINDING|ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer)|runtime error' \
            "$work/log" | head -n 20 | sed 's/^/    /'
        for r in $reproducers; do
            echo "    reproducer: $r"
            echo "    replay:     $build/fuzz_$t $r"
        done
    fi
done
exit $status
