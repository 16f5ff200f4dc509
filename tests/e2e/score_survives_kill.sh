#!/usr/bin/env bash
# The real program under Xvfb: a finished game is in scores.dat as soon as the title screen is
# back, so a SIGKILL loses nothing; the file is replaced whole, not rewritten in place, and the
# next start shows the game. Pictures go to <build>/e2e/.
set -euo pipefail
build=$(cd "${1:?usage: score_survives_kill.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vantor" "$work/"
cp -r "$build/Files" "$work/"
rm -f "$work/Files/Debug.txt" "$work/Files/Setup.ini" "$work/Files/"*.png "$work/Files/042/scores.dat"
mkdir -p "$build/e2e"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$here/lib/score_survives_kill_session.sh" "$work" "$build/e2e"
