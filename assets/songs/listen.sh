#!/usr/bin/env bash
# Renders every song in a folder to a WAV with FluidSynth and prints its length, peak and RMS
# level (sox), so the eight can be checked for clipping and for matching loudness.
# Usage: listen.sh [SONG-FOLDER] [WAV-FOLDER]
set -euo pipefail
songs=${1:-${DRIFTMERE_DATA_DIR:-$(dirname "$0")/../../build/share/driftmere}}
wavs=${2:-$(mktemp -d)}
font=/usr/share/sounds/sf2/TimGM6mb.sf2
printf '%-16s %9s %9s %9s %9s\n' song seconds peak rms rms-dB
for mid in "$songs"/*.mid; do
    name=$(basename "$mid" .mid)
    wav="$wavs/$name.wav"
    fluidsynth -ni -g 0.5 -F "$wav" "$font" "$mid" >/dev/null 2>&1
    stats=$(sox "$wav" -n stat 2>&1)
    seconds=$(awk '/^Length/ {print $3}' <<<"$stats")
    peak=$(awk '/^Maximum amplitude/ {print $3}' <<<"$stats")
    low=$(awk '/^Minimum amplitude/ {print $3}' <<<"$stats")
    rms=$(awk '/^RMS +amplitude/ {print $3}' <<<"$stats")
    peak=$(awk -v a="$peak" -v b="$low" 'BEGIN {b = -b; print (a > b ? a : b)}')
    db=$(awk -v r="$rms" 'BEGIN {printf "%.1f", 20 * log(r) / log(10)}')
    printf '%-16s %9.1f %9.3f %9.4f %9s\n' "$name" "$seconds" "$peak" "$rms" "$db"
done
echo "WAV files in $wavs"
