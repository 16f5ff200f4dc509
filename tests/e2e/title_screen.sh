#!/usr/bin/env bash
# The real program under Xvfb: it starts in its folder tree, logs its loading steps, shows the
# title screen and ends with status 0 on Escape. The screenshot is kept in <build>/e2e/.
set -euo pipefail
exec bash "$(dirname "$0")/lib/run_session.sh" "${1:?usage: title_screen.sh BUILD_DIR}" title_screen
