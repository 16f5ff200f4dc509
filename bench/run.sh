#!/usr/bin/env bash
# Runs our sprite benchmark beside the peer programs (../shared/bench/peers) under one Xvfb server,
# in both regimes: normal llvmpipe rasterising (fill-bound) and LP_NO_RAST=1 (no rasterising, so
# the CPU cost of submitting the sprites dominates, as on a real GPU). For each regime it prints
# the mean (p95) ms per frame of every program at every N, then each program's largest N whose
# mean frame time stays within 16.67 ms (doubling from 500, then bisection to ~5 %).
#
#   bench/run.sh            environment: PEERS (/work/shared/bench/peers), PEER_BUILD
#                           (/tmp/peer-bench-build), VANTOR_BUILD (/tmp/vantor-bench-build),
#                           NS ("500 1000 2000 5000 10000 20000"), FRAMES (60), WARMUP (10),
#                           SEARCH_FRAMES (40), SEARCH (1), REGIMES ("normal norast"), ONLY
#
# The peers run with glibc's trim threshold raised (GLIBC_TUNABLES), otherwise the heap they
# free each frame is trimmed and faulted back in; our program raises it itself at start-up.
# Not part of `make test`: it needs libsfml-dev (installed here when missing) and takes minutes.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
PEERS=${PEERS:-$(cd "$repo/.." && pwd)/shared/bench/peers}
PEER_BUILD=${PEER_BUILD:-/tmp/peer-bench-build}
VANTOR_BUILD=${VANTOR_BUILD:-/tmp/vantor-bench-build}
TRIM=glibc.malloc.trim_threshold=268435456

if [ -z "${SPRITE_BENCH_IN_XVFB:-}" ]; then
    if ! dpkg-query -W -f='${Status}\n' libsfml-dev 2>/dev/null | grep -q 'install ok installed'; then
        sudo=$([ "$(id -u)" = 0 ] || echo sudo)
        $sudo apt-get install -y -qq libsfml-dev >/dev/null
    fi
    cmake -S "$PEERS" -B "$PEER_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$PEER_BUILD" -j"$(nproc)" --target ideal_gl peer_sdl_renderer peer_sfml >/dev/null
    cmake -S "$repo" -B "$VANTOR_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$VANTOR_BUILD" -j"$(nproc)" --target sprite_bench >/dev/null
    export SPRITE_BENCH_IN_XVFB=1 PEER_BUILD VANTOR_BUILD
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

NS=${NS:-"500 1000 2000 5000 10000 20000"}
FRAMES=${FRAMES:-60}
WARMUP=${WARMUP:-10}
SEARCH_FRAMES=${SEARCH_FRAMES:-40}
SEARCH=${SEARCH:-1}
REGIMES=${REGIMES:-"normal norast"}
BUDGET_MS=16.67
SLOW_MS=500

# label | environment for the program | command line
ALL=(
    "ideal_gl|GLIBC_TUNABLES=$TRIM|$PEER_BUILD/ideal_gl"
    "sdl_renderer_opengl_batched|GLIBC_TUNABLES=$TRIM|$PEER_BUILD/peer_sdl_renderer --batching 1"
    "sdl_renderer_opengl|GLIBC_TUNABLES=$TRIM|$PEER_BUILD/peer_sdl_renderer"
    "sdl_renderer_software|GLIBC_TUNABLES=$TRIM|$PEER_BUILD/peer_sdl_renderer --driver software"
    "sfml|GLIBC_TUNABLES=$TRIM|$PEER_BUILD/peer_sfml"
    "vantor_opengl|-|$VANTOR_BUILD/sprite_bench --renderer 0"
    "vantor_sdl_accelerated|-|$VANTOR_BUILD/sprite_bench --renderer 1"
    "vantor_sdl_software|-|$VANTOR_BUILD/sprite_bench --renderer 2"
)
LABELS=()
declare -A CMD ENVS
for entry in "${ALL[@]}"; do
    IFS='|' read -r label envs cmd <<<"$entry"
    if [ -z "${ONLY:-}" ] || [[ " $ONLY " == *" $label "* ]]; then
        LABELS+=("$label")
        CMD[$label]=$cmd
        ENVS[$label]=$envs
    fi
done

le() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a ~ /^[0-9]+(\.[0-9]*)?$/ && a + 0 <= b + 0) }'; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }

# run LABEL N FRAMES -> the program's result line (empty on failure)
run() {
    local extra_env=()
    [ "${ENVS[$1]}" != "-" ] && extra_env=("${ENVS[$1]}")
    [ "$REGIME" = norast ] && extra_env+=(LP_NO_RAST=1)
    env "${extra_env[@]}" ${CMD[$1]} --n "$2" --frames "$3" --warmup "$WARMUP" 2>/dev/null | grep '^peer=' || true
}

probe() {
    local t
    t=$(field ms_per_frame "$(run "$1" "$2" "$SEARCH_FRAMES")")
    PROBES+=" $2:${t:-FAILED}"
    le "$t" "$BUDGET_MS"
}

# search_max_n LABEL -> RESULT, PROBES
search_max_n() {
    local lo=0 hi=0 n=500
    PROBES=""
    while [ "$hi" -eq 0 ] && [ "$n" -le 1000000 ]; do
        if probe "$1" "$n"; then lo=$n; n=$((n * 2)); else hi=$n; fi
    done
    while [ "$lo" -eq 0 ] && [ "$hi" -gt 8 ]; do
        n=$((hi / 2))
        if probe "$1" "$n"; then lo=$n; else hi=$n; fi
    done
    while [ "$lo" -gt 0 ] && [ "$hi" -gt 0 ] && [ $(((hi - lo) * 100)) -gt $((5 * lo)) ]; do
        n=$(((lo + hi) / 2))
        if probe "$1" "$n"; then lo=$n; else hi=$n; fi
    done
    if [ "$hi" -eq 0 ]; then RESULT=">$lo"; elif [ "$lo" -eq 0 ]; then RESULT="<$hi"; else RESULT=$lo; fi
}

echo "# sprite benchmark, ours beside the peers: $(date -u +%FT%TZ), $(nproc) CPUs, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "# window 800x600, virtual 1280x960, 16x16 texture at scale 2, alpha 0.5, blend; FRAMES=$FRAMES WARMUP=$WARMUP"
for REGIME in $REGIMES; do
    declare -A MEAN=() P95=() SLOW=()
    for n in $NS; do
        # Interleaved per N, so drift of the machine's load hits every program alike.
        for label in "${LABELS[@]}"; do
            if [ -n "${SLOW[$label]:-}" ]; then MEAN[$label,$n]=skip; continue; fi
            line=$(run "$label" "$n" "$FRAMES")
            MEAN[$label,$n]=$(field ms_per_frame "$line")
            P95[$label,$n]=$(field p95_ms "$line")
            : "${MEAN[$label,$n]:=FAILED}"
            le "${MEAN[$label,$n]}" "$SLOW_MS" || SLOW[$label]=1
        done
    done
    echo
    echo "## regime: $REGIME$([ "$REGIME" = norast ] && echo ' (LP_NO_RAST=1)') — ms per frame, mean (p95)"
    printf '%-28s' "program \\ N"
    for n in $NS; do printf ' %16s' "$n"; done
    echo
    for label in "${LABELS[@]}"; do
        printf '%-28s' "$label"
        for n in $NS; do
            m=${MEAN[$label,$n]}
            case $m in skip | FAILED) printf ' %16s' "$m" ;;
                *) printf ' %16s' "$(printf '%.2f (%.2f)' "$m" "${P95[$label,$n]}")" ;;
            esac
        done
        echo
    done
    if [ "$SEARCH" = 1 ]; then
        echo
        echo "## regime: $REGIME — largest N with mean <= $BUDGET_MS ms ($SEARCH_FRAMES frames per probe)"
        for label in "${LABELS[@]}"; do
            search_max_n "$label"
            printf '%-28s max_n_60fps=%-8s probes(n:ms):%s\n' "$label" "$RESULT" "$PROBES"
        done
    fi
done
