#!/usr/bin/env bash
# The real program under Xvfb, one whole session: the title screen, a game played until it ends,
# a name typed and confirmed, the game in the results table and in scores.dat, an F11
# screenshot, Escape to the thanks page, a key, exit status 0. Pictures go to <build>/e2e/.
set -euo pipefail
exec bash "$(dirname "$0")/lib/run_session.sh" "${1:?usage: whole_game.sh BUILD_DIR}" whole_game
