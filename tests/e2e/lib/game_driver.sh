#!/usr/bin/env bash
# Shared steps for the end-to-end sessions that play a game in the real program under Xvfb:
# start it, wait for the title screen, play until name entry, type a name and confirm.
# Sourced by a session script that defines fail() and sets $work (the copied program folder).

readonly WINDOW_NAME='^#42 : Vantor 42$'

# Starts the program from another folder (it finds its own folder tree), waits for its window and
# the end of loading; sets $pid and $wid. Standard output goes to $1.
start_program() {
    local stdout=$1
    (cd / && exec "$work/vantor") > "$stdout" 2>&1 &
    pid=$!
    wid=$(timeout 20 xdotool search --sync --name "$WINDOW_NAME" | head -1) || fail "no window"
    [ -n "$wid" ] || fail "no window"
    for _ in $(seq 600); do   # up to a minute: the engine test is slow on a loaded machine
        grep -q "Finished Loading" "$work/Files/Debug.txt" 2>/dev/null && break
        sleep 0.1
    done
    grep -q "Finished Loading" "$work/Files/Debug.txt" || fail "loading did not finish"
    sleep 3.5 # the splash stays 2.5 s, then the title slides in over 32 frames
}

# Pure green pixels (the "Enter Your Name" heading) in the window's upper middle.
green_heading_pixels() {
    import -window "$wid" "$work/probe.png" 2>/dev/null || { echo 0; return; }
    /usr/bin/convert "$work/probe.png" -crop 500x120+150+170 -fill black +opaque 'rgb(0,255,0)' \
        -fill white -opaque 'rgb(0,255,0)' -format '%[fx:int(mean*w*h)]' info:
}

# Holds Right: on the title screen a direction starts a game, in the game it steers the craft
# out of the safe zone, where it loses health every frame until the game ends. Returns once the
# name-entry screen shows, with Right released; fails after $1 seconds.
play_until_name_entry() {
    local limit=$1 started=$SECONDS
    xdotool keydown --window "$wid" Right
    while [ "$(green_heading_pixels)" -lt 200 ]; do
        if [ $((SECONDS - started)) -gt "$limit" ]; then
            xdotool keyup --window "$wid" Right
            fail "no name entry within $limit s"
        fi
        kill -0 "$pid" 2>/dev/null || fail "the program ended during the game"
        sleep 0.5
    done
    xdotool keyup --window "$wid" Right
}

# Replaces the offered name by $1 and confirms with Enter; waits until the title screen is back.
enter_name() {
    local name=$1 i
    for i in $(seq 12); do xdotool key --window "$wid" --delay 80 BackSpace; done
    xdotool type --window "$wid" --delay 120 "$name"
    sleep 0.3
    xdotool key --window "$wid" --delay 100 Return
    for _ in $(seq 40); do
        [ "$(green_heading_pixels)" -lt 200 ] && break
        sleep 0.25
    done
    [ "$(green_heading_pixels)" -lt 200 ] || fail "name entry did not end on Enter"
    sleep 1 # the panel slides in again
}

# Bright pixels of best-table row $2 (1-based) in the picture $1 of an 800 x 600 window: the row's
# text lies at the panel's left edge, 17 virtual pixels (10.6 window pixels) a row.
table_row_pixels() {
    local picture=$1 row=$2
    local top=$((328 + (row - 1) * 17 * 5 / 8))
    /usr/bin/convert "$picture" -crop "200x9+598+$top" -colorspace gray -threshold 60% \
        -format '%[fx:int(mean*w*h)]' info:
}

# Checks that scores.dat is whole: CR LF lines in pairs, a record line of eight fields with
# numbers where numbers belong and a line of thirty numbers for each.
check_score_file_whole() {
    local file=$1
    [ -s "$file" ] || fail "scores.dat missing or empty"
    local lines crlf
    lines=$(wc -l < "$file")
    crlf=$(grep -c $'\r$' "$file")
    [ "$lines" -eq "$crlf" ] || fail "scores.dat has lines without CR LF"
    [ $((lines % 2)) -eq 0 ] || fail "scores.dat has an odd number of lines"
    [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "scores.dat ends inside a line"
    tr -d '\r' < "$file" | awk -F'|' '
        NR % 2 == 1 && !(NF == 8 && $1 ~ /^-?[0-9]+$/ && $4 ~ /^[0-9]+$/ && $8 ~ /^[01]$/) { bad = 1 }
        NR % 2 == 0 && !(NF == 30 && $0 ~ /^[0-9|]+$/) { bad = 1 }
        END { exit bad }' || fail "scores.dat has a damaged record: $(tr -d '\r' < "$file")"
}

# Escape on the title screen opens the thanks page, which ends at any input (Escape itself when
# it is still held as the page opens). Presses a key on whatever window is up until the program
# ends; fails unless it ends within ten seconds with status 0.
quit_from_title_screen() {
    xdotool key --window "$wid" --delay 100 Escape 2>/dev/null || true
    local page
    for _ in $(seq 40); do
        kill -0 "$pid" 2>/dev/null || break
        page=$(xdotool search --name "$WINDOW_NAME" 2>/dev/null | head -1 || true)
        [ -n "$page" ] && xdotool key --window "$page" --delay 100 a 2>/dev/null || true
        sleep 0.25
    done
    local status=0
    timeout 5 tail --pid="$pid" -f /dev/null || fail "still running after a key on the thanks page"
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "exit status $status"
}
