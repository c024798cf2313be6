# Sourced by the scripts: an X display and a Wine prefix for the Windows
# tests and the demo, started once and stopped by pid.
#   gv_wine_start PREFIX   starts Xvfb on a free display (unless GV_USE_DISPLAY
#                          is set and DISPLAY works), boots PREFIX if new and
#                          keeps one wineserver for the run; A: is a floppy
#                          drive on PREFIX/floppy-a (GV_FLOPPY_DIR)
#   gv_wine_stop           stops that wineserver and Xvfb
GV_WINE=/usr/lib/wine/wine64
GV_WINESERVER=/usr/lib/wine/wineserver
GV_XVFB_PID=
GV_WINESERVER_PID=

gv_free_display() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    echo "$n"
}

gv_wine_start() {
    local prefix=$1
    export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINESERVER=$GV_WINESERVER
    if [ -z "${GV_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
        local n
        n=$(gv_free_display)
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        GV_XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.05
        done
    fi
    mkdir -p "$prefix"
    "$GV_WINESERVER" -f -p >/dev/null 2>&1 &
    GV_WINESERVER_PID=$!
    if [ ! -f "$prefix/.gv-booted" ]; then
        "$GV_WINE" wineboot -i >/dev/null 2>&1
        # Without a window manager Wine stalls each time a managed window hides.
        "$GV_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        touch "$prefix/.gv-booted"
    fi
    gv_floppy_drive "$prefix"
    # Start Wine's services now, with their output elsewhere: started by a
    # test they would inherit its output pipe and keep ctest waiting.
    "$GV_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# Drive A: of type floppy, as the setup is started on a user's machine: a
# dosdevices link to PREFIX/floppy-a and the drive type in the registry.
# Wine's mount manager reads the type when it starts, so the first time the
# services are restarted. Tests put a disk in by replacing A:'s content.
gv_floppy_drive() {
    local prefix=$1
    export GV_FLOPPY_DIR=$prefix/floppy-a
    mkdir -p "$GV_FLOPPY_DIR"
    ln -sfn "$GV_FLOPPY_DIR" "$prefix/dosdevices/a:"
    if [ ! -f "$prefix/.gv-floppy" ]; then
        "$GV_WINE" reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f >/dev/null 2>&1
        "$GV_WINESERVER" -k >/dev/null 2>&1 || true
        wait "$GV_WINESERVER_PID" 2>/dev/null || true
        "$GV_WINESERVER" -f -p >/dev/null 2>&1 &
        GV_WINESERVER_PID=$!
        touch "$prefix/.gv-floppy"
    fi
}

gv_wine_stop() {
    if [ -n "$GV_WINESERVER_PID" ]; then
        "$GV_WINESERVER" -k >/dev/null 2>&1 || true
        kill "$GV_WINESERVER_PID" 2>/dev/null || true
        wait "$GV_WINESERVER_PID" 2>/dev/null || true
        GV_WINESERVER_PID=
    fi
    if [ -n "$GV_XVFB_PID" ]; then
        kill "$GV_XVFB_PID" 2>/dev/null || true
        wait "$GV_XVFB_PID" 2>/dev/null || true
        GV_XVFB_PID=
    fi
}
