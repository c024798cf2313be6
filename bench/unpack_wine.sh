#!/usr/bin/env bash
# Times the setup's unpacking phase under wine64 against `gvdist decode` of
# the same archive (native gvdist, same run), on a distribution whose
# archive is close to 3,675,000 bytes. Not a test: it prints the figures.
#   bench/unpack_wine.sh [NATIVE_BUILD_DIR] [WIN64_BUILD_DIR]
# Both builds must be configured (presets native and win64); the script
# builds gvdist and copy_phases in them.
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/native}
win64=${2:-build/win64}
target_size=3675000

cmake --build "$native" --target gvdist >/dev/null
cmake --build "$win64" --target copy_phases setup_e2e >/dev/null
gvdist=$native/tools/gvdist/gvdist
copy_phases=$win64/bench/copy_phases.exe

work=$(mktemp -d /tmp/gv-unpack-bench.XXXXXX)
source scripts/lib/wine.sh
trap 'gv_wine_stop; rm -rf "$work"' EXIT
gv_wine_start "${GV_BENCH_PREFIX:-$work/prefix}"

# Machine code of this system: compresses about as well as a program does.
find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +100k 2>/dev/null |
    sort | head -n 200 | xargs cat 2>/dev/null | head -c 40000000 >"$work/corpus" || true

windows_path() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

# The member table and stamp go into a stripped setup.exe of the win64
# build, about the size of the shipped one; copy_phases reads both.
pack() {  # pack PROGRAM_BYTES -> archive size
    rm -rf "$work/dist"
    head -c "$1" "$work/corpus" >"$work/Glyphvane.Exe"
    head -c 300000 "$work/corpus" | tail -c 100000 >"$work/UnInstal.Exe"
    "$gvdist" -q pack --program "$work/Glyphvane.Exe" --member "$work/UnInstal.Exe" \
        --setup "$win64/tests/e2e/setup_e2e.exe" -o "$work/dist" >/dev/null
    cat "$work/dist"/Glyphvan.0* | wc -c
}

# A few proportional corrections bring the archive close to the target.
guess=7000000
for round in 1 2 3; do
    size=$(pack "$guess")
    guess=$((guess * target_size / size))
done
size=$(pack "$guess")
decoded=$((guess + 100000))
echo "archive: $size bytes in $(ls "$work/dist"/Glyphvan.0* | wc -l) parts, decoding to $decoded bytes"

cat "$work/dist"/Glyphvan.0* >"$work/joined"
start=$(date +%s.%N)
"$gvdist" -q decode --length "$decoded" "$work/joined" "$work/decoded"
end=$(date +%s.%N)
echo "gvdist decode (native): $(echo "$end - $start" | bc) s"

for mode in "" --drain-every-byte; do
    rm -rf "$work/dest" && mkdir -p "$work/dest"
    echo "copy_phases under wine64 ${mode:-(drain every few ms)}:"
    "$GV_WINE" "$copy_phases" "$(windows_path "$work/dist")" "$(windows_path "$work/dest")" \
        "$(windows_path "$work/dist/setup.exe")" $mode |
        sed 's/^/  /'
    cmp "$work/dest/Glyphvane.Exe" "$work/Glyphvane.Exe" && echo "  program file matches"
done
