#!/usr/bin/env bash
# Runs one end-to-end session under its own Xvfb server on a fresh copy of the program, as a
# player's first start finds it: no log, setup file, scores or screenshots.
#   run_session.sh BUILD_DIR NAME
# runs lib/NAME_session.sh WORK OUT, where WORK is the copy (removed afterwards) and OUT is
# <build>/e2e/, where sessions keep their pictures. Exits with the session's status.
set -euo pipefail
build=$(cd "$1" && pwd)
session="$(cd "$(dirname "$0")" && pwd)/$2_session.sh"
[ -f "$session" ] || { echo "no session $session" >&2; exit 2; }
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vantor" "$work/"
cp -r "$build/Files" "$work/"
rm -f "$work/Files/Debug.txt" "$work/Files/Setup.ini" "$work/Files/"*.png "$work/Files/042/scores.dat"
mkdir -p "$build/e2e"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
xvfb-run -a -s "-screen 0 1600x1200x24" bash "$session" "$work" "$build/e2e"
