#!/usr/bin/env bash
# The real program under Xvfb: it starts in its folder tree, logs its loading steps, shows the
# title screen and ends with status 0 on Escape. The screenshot is kept in <build>/e2e/.
set -euo pipefail
build=$(cd "${1:?usage: title_screen.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vantor" "$work/"
cp -r "$build/Files" "$work/"
rm -f "$work/Files/Debug.txt" "$work/Files/Setup.ini"
mkdir -p "$build/e2e"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$here/lib/title_screen_session.sh" "$work" "$build/e2e"
