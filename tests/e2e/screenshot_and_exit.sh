#!/usr/bin/env bash
# The real program under Xvfb: F11 on the title screen writes a PNG screenshot into Files/, the
# window's close request opens the thanks page, a key ends the program with status 0 after the
# setup file and the scores are written and the log's closing lines. Pictures go to <build>/e2e/.
set -euo pipefail
build=$(cd "${1:?usage: screenshot_and_exit.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vantor" "$work/"
cp -r "$build/Files" "$work/"
rm -f "$work/Files/Debug.txt" "$work/Files/Setup.ini" "$work/Files/"*.png "$work/Files/042/scores.dat"
mkdir -p "$build/e2e"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$here/lib/screenshot_and_exit_session.sh" "$work" "$build/e2e"
