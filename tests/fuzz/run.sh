#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build for a while each, starting from the seed corpora in
# tests/fuzz/corpus/<name>/ (left unchanged; new inputs go to <build>/fuzz/corpus/<name>/).
#   tests/fuzz/run.sh BUILD_DIR SECONDS [NAME...]     NAME: setup_file, score_file, song, ...
# Ends with status 1 when any target found a crash, a leak, undefined behaviour or a broken
# property; the input that caused it is kept in <build>/fuzz/artifacts/<name>/.
# Prints one summary line per target: run time, executions, corpus size.
set -uo pipefail
build=$(cd "${1:?usage: run.sh BUILD_DIR SECONDS [NAME...]}" && pwd)
seconds=${2:?usage: run.sh BUILD_DIR SECONDS [NAME...]}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -gt 0 ]; then
    names=("$@")
else
    names=()
    for source in "$here"/*_fuzz.cpp; do
        base=$(basename "$source" .cpp)
        names+=("${base%_fuzz}")
    done
fi

failed=0
for name in "${names[@]}"; do
    fuzzer="$build/fuzz/${name}_fuzz"
    [ -x "$fuzzer" ] || { echo "missing $fuzzer" >&2; failed=1; continue; }
    work="$build/fuzz/corpus/$name"
    artifacts="$build/fuzz/artifacts/$name"
    log="$build/fuzz/$name.log"
    mkdir -p "$work" "$artifacts"
    # Fonts, Ogg files and songs need more room than the default 4 KB to be valid at all.
    case "$name" in font | ogg | song) max_len=8192 ;; *) max_len=4096 ;; esac
    start=$(date +%s)
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 -rss_limit_mb=3072 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$here/corpus/$name" > "$log" 2>&1
    status=$?
    elapsed=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    corpus=$(find "$work" "$here/corpus/$name" -type f ! -name README | wc -l)
    bytes=$(find "$work" "$here/corpus/$name" -type f ! -name README -printf '%s\n' | awk '{s+=$1} END {print s+0}')
    printf '%-11s %s  %4ss  %10s runs  corpus %5s files %8s bytes\n' "$name" \
        "$([ $status -eq 0 ] && echo ok || echo FAILED)" "$elapsed" "${runs:-?}" "$corpus" "$bytes"
    if [ $status -ne 0 ]; then
        failed=1
        grep -m 20 -E "ERROR|SUMMARY|runtime error|fuzz property|Test unit written" "$log" >&2
    fi
done
exit $failed
