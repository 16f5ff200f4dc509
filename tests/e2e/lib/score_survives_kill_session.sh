#!/usr/bin/env bash
# Runs inside Xvfb: one earlier game in scores.dat, a new game played and named, then SIGKILL;
# the file holds both games, whole, and a second start shows both in the results table.
set -euo pipefail
work=$1
out=$2
fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }
source "$(dirname "$0")/game_driver.sh"

scores="$work/Files/042/scores.dat"
zeros=$(printf '0|%.0s' $(seq 29))0
# A game of 1 January 2020.
printf '777|Old Timer|0|64927180800|0|0|0|0\r\n%s\r\n' "$zeros" > "$scores"
cp "$scores" "$work/old_scores.dat"
# A second name for the old file: a save that rewrote scores.dat in place would change it too.
ln "$scores" "$work/Files/042/old_link.dat"

start_program "$out/kill_stdout.txt"
play_until_name_entry 60
enter_name "Kim Jaeger"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=""

check_score_file_whole "$scores"
records=$(tr -d '\r' < "$scores" | awk 'NR % 2 == 1')
[[ "$records" =~ ^[0-9]+\|Kim\ Jaeger\|0\|[0-9]+\|0\|0\|0\|0$'\n'777\|Old\ Timer\| ]] \
    || fail "scores.dat does not hold the new game and the old one: $records"
[ ! -e "$work/Files/042/scores.dat.tmp" ] || fail "a temporary score file was left behind"
cmp -s "$work/Files/042/old_link.dat" "$work/old_scores.dat" || fail "scores.dat was rewritten in place"
[ "$(stat -c %i "$scores")" != "$(stat -c %i "$work/Files/042/old_link.dat")" ] \
    || fail "scores.dat is still the old file"

# The next start shows both games: the old one's higher score first, the new one below it.
start_program "$out/kill_restart_stdout.txt"
import -window "$wid" "$out/kill_restart_title.png"
[ "$(table_row_pixels "$out/kill_restart_title.png" 1)" -gt 20 ] || fail "no first row after the restart"
[ "$(table_row_pixels "$out/kill_restart_title.png" 2)" -gt 20 ] || fail "no second row after the restart"
[ "$(table_row_pixels "$out/kill_restart_title.png" 3)" -lt 5 ] || fail "a third row after the restart"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
check_score_file_whole "$scores"
echo "score survives kill e2e: passed"
