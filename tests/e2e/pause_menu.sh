#!/usr/bin/env bash
# The real program under Xvfb: a game started from the title screen pauses on Escape, shows the
# frozen game behind the pause menu, continues, pauses again and quits through "Game Over" and
# name entry back to the title screen; the stored record is marked as quit. Pictures go to
# <build>/e2e/.
set -euo pipefail
build=$(cd "${1:?usage: pause_menu.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vantor" "$work/"
cp -r "$build/Files" "$work/"
rm -f "$work/Files/Debug.txt" "$work/Files/Setup.ini" "$work/Files/042/scores.dat"
mkdir -p "$build/e2e"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$here/lib/pause_menu_session.sh" "$work" "$build/e2e"
