# Sourced by the scripts: an X display and Wine prefixes for the Windows
# tests and the demo, started once and stopped by pid.
#   gv_wine32_probe        whether this machine runs 32-bit Windows programs
#                          (the i386 Wine loader starts); when not, returns 1
#                          with the cause in GV_WINE32_CAUSE, one line
#   gv_wine_start PREFIX [win32|win64]
#                          starts Xvfb on a free display (unless GV_USE_DISPLAY
#                          is set and DISPLAY works), boots PREFIX if new,
#                          keeps one wineserver for it and exports WINEPREFIX,
#                          WINEARCH and GV_WINE, the loader of the prefix's
#                          programs; A: is a floppy drive on PREFIX/floppy-a
#                          (GV_FLOPPY_DIR); S: is a small drive (8 MB,
#                          GV_SMALL_DRIVE) where this user may mount a
#                          tmpfs, else there is none. win64 by default
#   gv_wine_prefix PREFIX ARCH
#                          boots a further prefix and keeps a wineserver for
#                          it, exporting nothing (the WoW64 walk's)
#   gv_wine_stop           stops every wineserver started and Xvfb, and
#                          unmounts the small drives
# Each start returns non-zero after one line on stderr saying what failed.
GV_WINE32=/usr/lib/wine/wine
GV_WINE64=/usr/lib/wine/wine64
GV_WINE=$GV_WINE64
GV_WINESERVER=/usr/lib/wine/wineserver
GV_WINE_FONTS=/usr/share/wine/fonts
GV_XVFB_PID=
GV_WINESERVER_PIDS=()
GV_SMALL_MOUNTS=()
GV_WINE32_CAUSE=
# wineboot in a fresh prefix takes 10 to 60 s; a busy machine may take
# several times that.
GV_WINE_BOOT_TIMEOUT=${GV_WINE_BOOT_TIMEOUT:-900}

gv_wine_fail() { echo "$0: $*" >&2; return 1; }

gv_wine32_probe() {
    GV_WINE32_CAUSE=
    if [ ! -e "$GV_WINE32" ]; then
        GV_WINE32_CAUSE="wine32 is not installed (apt-get install wine32:i386, after dpkg --add-architecture i386)"
        return 1
    fi
    local out rc=0
    out=$("$GV_WINE32" --version 2>&1) || rc=$?
    [ "$rc" -eq 0 ] && return 0
    if [ "$rc" -eq 126 ] && grep -q 'Exec format error' <<<"$out"; then
        GV_WINE32_CAUSE="this kernel runs no 32-bit code (ia32 emulation disabled)"
    else
        GV_WINE32_CAUSE="wine32 is not installed: $GV_WINE32 does not start ($(head -n 1 <<<"$out"))"
    fi
    return 1
}

gv_free_display() {
    local n=$1
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    echo "$n"
}

# A private Xvfb; another run may take the same free number at the same
# moment, so a server that dies is tried again on the next number.
gv_start_display() {
    local n=90 try i
    for try in 1 2 3 4 5; do
        n=$(gv_free_display "$n")
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        GV_XVFB_PID=$!
        for i in $(seq 600); do
            [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$GV_XVFB_PID" 2>/dev/null && break
            kill -0 "$GV_XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$GV_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            return 0
        fi
        kill "$GV_XVFB_PID" 2>/dev/null || true
        wait "$GV_XVFB_PID" 2>/dev/null || true
        GV_XVFB_PID=
        n=$((n + 1))
    done
    gv_wine_fail "Xvfb did not start (tried displays up to :$((n - 1)))"
}

# gv_wine_in PREFIX ARCH SECONDS WHAT COMMAND...: runs a Wine command in
# PREFIX with its output kept; on failure or time-out, says which.
gv_wine_in() {
    local prefix=$1 arch=$2 seconds=$3 what=$4 rc=0 log
    shift 4
    log=$(mktemp)
    WINEPREFIX=$prefix WINEARCH=$arch timeout -k 10 "$seconds" "$@" >"$log" 2>&1 </dev/null || rc=$?
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
        rm -f "$log"
        gv_wine_fail "$what timed out after $seconds s (prefix $prefix)"
        return 1
    elif [ "$rc" -ne 0 ]; then
        gv_wine_fail "$what failed with exit code $rc (prefix $prefix): $(tr -d '\r' <"$log" | grep -v '^ *$' | tail -n 1)"
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

gv_wineserver_start() {  # PREFIX
    WINEPREFIX=$1 "$GV_WINESERVER" -f -p >/dev/null 2>&1 </dev/null &
    GV_WINESERVER_PIDS+=("$1:$!")
}

gv_wineserver_stop() {  # PREFIX: the wineserver this run started for it
    local entry kept=()
    for entry in "${GV_WINESERVER_PIDS[@]}"; do
        if [ "${entry%:*}" = "$1" ]; then
            WINEPREFIX=$1 "$GV_WINESERVER" -k >/dev/null 2>&1 || true
            kill "${entry##*:}" 2>/dev/null || true
            wait "${entry##*:}" 2>/dev/null || true
        else
            kept+=("$entry")
        fi
    done
    GV_WINESERVER_PIDS=("${kept[@]}")
}

gv_wine_prefix() {
    local prefix=$1 arch=$2 loader=$GV_WINE64
    [ "$arch" = win32 ] && loader=$GV_WINE32
    mkdir -p "$prefix"
    if [ ! -f "$prefix/.gv-booted" ]; then
        gv_wine_in "$prefix" "$arch" "$GV_WINE_BOOT_TIMEOUT" "booting a $arch Wine prefix (wineboot)" \
            "$loader" wineboot -i || return 1
        # Without a window manager Wine stalls each time a managed window hides.
        gv_wine_in "$prefix" "$arch" 300 "setting up the prefix's X11 driver (reg add)" \
            "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
        # Debian's Wine looks for its own fonts in /usr/share/fonts, not
        # where fonts-wine puts them; without Marlett every caption button
        # shows a letter. The Windows directory's Fonts folder is always read.
        cp "$GV_WINE_FONTS"/*.ttf "$prefix/drive_c/windows/Fonts/" ||
            { gv_wine_fail "cannot copy Wine's fonts into $prefix"; return 1; }
        touch "$prefix/.gv-booted"
        # The boot's own server ends a few seconds after its last client.
        WINEPREFIX=$prefix timeout 60 "$GV_WINESERVER" -w >/dev/null 2>&1 </dev/null || true
    fi
    # Boot before serve: no process of ours starts in a prefix before
    # wineboot has made it. A server started in an empty prefix takes it for
    # a 64-bit one, and the 32-bit loader then refuses to boot it.
    gv_wineserver_start "$prefix"
    gv_floppy_drive "$prefix" "$arch" "$loader" || return 1
    # Start Wine's services now, with their output elsewhere: started by a
    # test they would inherit its output pipe and keep ctest waiting.
    gv_wine_in "$prefix" "$arch" 300 "starting Wine's services (cmd /c exit)" "$loader" cmd /c exit
}

gv_wine_start() {
    local prefix=$1 arch=${2:-win64}
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINESERVER=$GV_WINESERVER
    if [ -z "${GV_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
        gv_start_display || return 1
    fi
    gv_wine_prefix "$prefix" "$arch" || return 1
    gv_small_drive "$prefix"
    export WINEPREFIX=$prefix WINEARCH=$arch GV_FLOPPY_DIR=$prefix/floppy-a
    GV_WINE=$GV_WINE64
    [ "$arch" = win32 ] && GV_WINE=$GV_WINE32
    return 0
}

# Drive A: of type floppy, as the setup is started on a user's machine: a
# dosdevices link to PREFIX/floppy-a and the drive type in the registry.
# Wine's mount manager reads the type when it starts, so the first time the
# services are restarted. Tests put a disk in by replacing A:'s content.
gv_floppy_drive() {
    local prefix=$1 arch=$2 loader=$3
    mkdir -p "$prefix/floppy-a"
    ln -sfn "$prefix/floppy-a" "$prefix/dosdevices/a:"
    if [ ! -f "$prefix/.gv-floppy" ]; then
        gv_wine_in "$prefix" "$arch" 300 "making A: a floppy drive (reg add)" \
            "$loader" reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f || return 1
        gv_wineserver_stop "$prefix"
        gv_wineserver_start "$prefix"
        touch "$prefix/.gv-floppy"
    fi
}

# Drive S:, a tmpfs of 8 MB, for the walk of a destination that runs out
# of room. Mounting needs the right to mount: without it there is no S:
# and GV_SMALL_DRIVE stays unset.
gv_small_drive() {
    local dir=$1/small-drive
    mkdir -p "$dir"
    if mountpoint -q "$dir" || mount -t tmpfs -o size=8m gv-small-drive "$dir" 2>/dev/null; then
        GV_SMALL_MOUNTS+=("$dir")
        ln -sfn "$dir" "$1/dosdevices/s:"
        export GV_SMALL_DRIVE=S:
    fi
}

gv_wine_stop() {
    local entry
    for entry in "${GV_WINESERVER_PIDS[@]}"; do gv_wineserver_stop "${entry%:*}"; done
    for entry in "${GV_SMALL_MOUNTS[@]}"; do umount -l "$entry" 2>/dev/null || true; done
    GV_SMALL_MOUNTS=()
    if [ -n "$GV_XVFB_PID" ]; then
        kill "$GV_XVFB_PID" 2>/dev/null || true
        wait "$GV_XVFB_PID" 2>/dev/null || true
        GV_XVFB_PID=
    fi
}
