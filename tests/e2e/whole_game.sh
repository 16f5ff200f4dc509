#!/usr/bin/env bash
# The real program under Xvfb, one whole session: the title screen, a game played until it ends,
# a name typed and confirmed, the game in the results table and in scores.dat, an F11
# screenshot, Escape to the thanks page, a key, exit status 0. Pictures go to <build>/e2e/.
set -euo pipefail
build=$(cd "${1:?usage: whole_game.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vantor" "$work/"
cp -r "$build/Files" "$work/"
rm -f "$work/Files/Debug.txt" "$work/Files/Setup.ini" "$work/Files/"*.png "$work/Files/042/scores.dat"
mkdir -p "$build/e2e"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$here/lib/whole_game_session.sh" "$work" "$build/e2e"
