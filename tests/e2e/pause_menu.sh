#!/usr/bin/env bash
# The real program under Xvfb: a game started from the title screen pauses on Escape, shows the
# frozen game behind the pause menu, continues, pauses again and quits through "Game Over" and
# name entry back to the title screen; the stored record is marked as quit. Pictures go to
# <build>/e2e/.
set -euo pipefail
exec bash "$(dirname "$0")/lib/run_session.sh" "${1:?usage: pause_menu.sh BUILD_DIR}" pause_menu
