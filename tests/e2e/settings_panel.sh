#!/usr/bin/env bash
# The real program under Xvfb: the settings panel opens over the title screen, and Apply switches
# the renderer from OpenGL to the accelerated and then the software SDL renderer while the program
# keeps running and the title screen looks the same. Screenshots are kept in <build>/e2e/.
set -euo pipefail
build=$(cd "${1:?usage: settings_panel.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vantor" "$work/"
cp -r "$build/Files" "$work/"
rm -f "$work/Files/Debug.txt" "$work/Files/Setup.ini"
mkdir -p "$build/e2e"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$here/lib/settings_panel_session.sh" "$work" "$build/e2e"
