#!/usr/bin/env bash
# Boots a 32-bit and a 64-bit prefix through scripts/lib/wine.sh with
# stand-in loaders and server that behave as Debian's Wine does: a server
# started in a prefix not yet booted marks it 64-bit, and a 32-bit loader
# then refuses it with Wine's own message. Catches a server started before
# the boot on machines that cannot run the real thing.
#   wine_prefix_test.sh [WINE_SH]   (default: the repository's scripts/lib/wine.sh)
set -uo pipefail
wine_sh=${1:-$(dirname "$0")/../../scripts/lib/wine.sh}
scratch=$(mktemp -d /tmp/gv-wine-order.XXXXXX)
stand=$scratch/bin

mkdir -p "$stand" "$scratch/fonts"
touch "$scratch/fonts/marlett.ttf"
cat >"$stand/wineserver" <<'SERVER'
#!/usr/bin/env bash
reg=$WINEPREFIX/system.reg
case "$1" in
-k) [ -f "$WINEPREFIX/server.pid" ] && kill "$(cat "$WINEPREFIX/server.pid")" 2>/dev/null; exit 0 ;;
-w) exit 0 ;;
esac
if [ ! -f "$reg" ]; then
    echo "served before boot: $WINEPREFIX" >>"$GV_STAND_IN_LOG"
    echo '#arch=win64' >"$reg"
fi
echo $$ >"$WINEPREFIX/server.pid"
exec sleep 300
SERVER
cat >"$stand/loader" <<'LOADER'
#!/usr/bin/env bash
reg=$WINEPREFIX/system.reg
if [ "$WINEARCH" = win32 ] && grep -qx '#arch=win64' "$reg" 2>/dev/null; then
    echo "wine: WINEARCH set to win32 but '$WINEPREFIX' is a 64-bit installation." >&2
    exit 1
fi
if [ "$1" = wineboot ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts" "$WINEPREFIX/dosdevices"
    echo "#arch=$WINEARCH" >"$reg"
fi
echo "$WINEARCH $*" >>"$GV_STAND_IN_LOG"
LOADER
chmod +x "$stand/wineserver" "$stand/loader"
export GV_STAND_IN_LOG=$scratch/log
touch "$GV_STAND_IN_LOG"

# shellcheck source=../../scripts/lib/wine.sh
source "$wine_sh"
GV_WINE32=$stand/loader GV_WINE64=$stand/loader GV_WINESERVER=$stand/wineserver GV_WINE_FONTS=$scratch/fonts
trap 'gv_wine_stop; rm -rf "$scratch"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for arch in win32 win64; do
    prefix=$scratch/$arch
    for run in fresh booted; do
        if ! gv_wine_prefix "$prefix" "$arch"; then
            fail "$arch, $run prefix: gv_wine_prefix failed"
        elif ! grep -qx "#arch=$arch" "$prefix/system.reg"; then
            fail "$arch, $run prefix: marked $(head -n 1 "$prefix/system.reg") instead"
        fi
    done
    gv_wineserver_stop "$prefix"
    [ -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ] || fail "$arch: Wine's fonts not copied into the prefix"
done
while read -r line; do fail "$line"; done < <(grep 'served before boot' "$GV_STAND_IN_LOG")
echo "wine prefix order: $failures failures"
[ "$failures" -eq 0 ]
