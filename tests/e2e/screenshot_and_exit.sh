#!/usr/bin/env bash
# The real program under Xvfb: F11 on the title screen writes a PNG screenshot into Files/, the
# window's close request opens the thanks page, a key ends the program with status 0 after the
# setup file and the scores are written and the log's closing lines. Pictures go to <build>/e2e/.
set -euo pipefail
exec bash "$(dirname "$0")/lib/run_session.sh" "${1:?usage: screenshot_and_exit.sh BUILD_DIR}" screenshot_and_exit
