#!/usr/bin/env bash
# The real program under Xvfb: the settings panel opens over the title screen, and Apply switches
# the renderer from OpenGL to the accelerated and then the software SDL renderer while the program
# keeps running and the title screen looks the same. Screenshots are kept in <build>/e2e/.
set -euo pipefail
exec bash "$(dirname "$0")/lib/run_session.sh" "${1:?usage: settings_panel.sh BUILD_DIR}" settings_panel
