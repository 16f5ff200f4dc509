#!/usr/bin/env bash
# The real program under Xvfb: a finished game is in scores.dat as soon as the title screen is
# back, so a SIGKILL loses nothing; the file is replaced whole, not rewritten in place, and the
# next start shows the game. Pictures go to <build>/e2e/.
set -euo pipefail
exec bash "$(dirname "$0")/lib/run_session.sh" "${1:?usage: score_survives_kill.sh BUILD_DIR}" score_survives_kill
