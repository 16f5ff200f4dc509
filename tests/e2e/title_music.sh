#!/usr/bin/env bash
# The real program under Xvfb with its sound output recorded to a file: M, N and B on the title
# screen each start their song, and what is recorded is that song, and silence before the first
# key. Once with FreeAudio on SDL's disk device, once with OpenAL and OpenAL Soft's
# wave writer. The recordings and their spectrograms are kept in <build>/e2e/.
set -euo pipefail
build=$(cd "${1:?usage: title_music.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
out="$build/e2e"
mkdir -p "$out"

# What each song should sound like: its first phrases, rendered offline with the same seed.
mkdir "$work/reference"
for song in Hoplark:17 Mario:1 Pipeline:64; do
    "$build/tools/songrender" "$build/Files/042" "${song%%:*}" "${song##*:}" 2 "$work/reference/${song%%:*}.wav" > /dev/null
done

run_with() {
    local driver=$1 recording=$2 bytes_per_second=$3
    rm -rf "$work/game"
    mkdir "$work/game"
    cp "$build/vantor" "$work/game/"
    cp -r "$build/Files" "$work/game/"
    rm -f "$work/game/Files/Debug.txt" "$work/game/Files/042/scores.dat"
    printf '[Audio]\r\nAudioDriver = %s\r\n' "$driver" > "$work/game/Files/Setup.ini"
    rm -f "$recording"
    xvfb-run -a -s "-screen 0 1600x1200x24" \
        bash "$here/lib/title_music_session.sh" "$work/game" "$recording" > "$work/marks.txt"
    grep -q "Audio Output : $driver" "$work/game/Files/Debug.txt" || fail "$driver was not in use"
    # The recording's length when each key went down gives the key's moment in the recording;
    # the song's first step comes 250 ms later.
    local m n b end
    read -r m n b end < <(awk -v rate="$bytes_per_second" '{ printf "%.2f ", $2 / rate } END { print "" }' "$work/marks.txt")
    echo "$driver: M at $m s, N at $n s, B at $b s, end at $end s of the recording"
    "$build/audio_probe" "$recording" \
        "quiet:$(plus "$m" -1.5)-$m" \
        "music:$(plus "$m" 0.4)-$n" "$work/reference/Hoplark.wav" \
        "music:$(plus "$n" 0.4)-$b" "$work/reference/Mario.wav" \
        "music:$(plus "$b" 0.4)-$end" "$work/reference/Pipeline.wav" || fail "$driver: not the music"
    local sox_input=("$recording")
    [ "${recording##*.}" = raw ] && sox_input=(-t raw -r 44100 -e signed -b 16 -c 2 "$recording")
    sox "${sox_input[@]}" -n remix 1 spectrogram -x 1200 -y 257 -t "$driver" -o "${recording%.*}.png" 2> /dev/null || true
}
fail() { echo "FAIL: $*" >&2; exit 1; }
plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a + b }'; }

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/title_music_freeaudio.raw" ALSOFT_DRIVERS=null \
    run_with FreeAudio "$out/title_music_freeaudio.raw" $((44100 * 2 * 2))
# OpenAL Soft starts a source at its next update, 1024 frames (23 ms) apart by default; the
# wave writer updates every 256 frames here so the recording shows the program's own timing.
printf '[general]\ndrivers = wave\nperiod_size = 256\n[wave]\nfile = %s\n' "$out/title_music_openal.wav" \
    > "$work/wave.conf"
ALSOFT_CONF="$work/wave.conf" SDL_AUDIODRIVER=dummy \
    run_with OpenAL "$out/title_music_openal.wav" $((44100 * 2 * 4))
echo "title music e2e: passed"
