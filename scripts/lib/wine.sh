# Shared by the run and test scripts: a private Wine prefix with a virtual desktop, a display
# (Xvfb when none is given) and a persistent wineserver. Everything started here is recorded by
# pid so that exactly that can be stopped again.

torvane_die() {
    echo "torvane: $*" >&2
    exit 1
}

# Bump when the prefix configuration below changes, so existing prefixes are configured again.
TORVANE_PREFIX_VERSION=1

# A host path as Wine's Z: drive shows it. Computed here rather than by winepath, which would
# start Wine processes that inherit the caller's output.
torvane_windows_path() {
    local path
    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}

torvane_wine_env() {
    export WINEPREFIX="$1"
    export WINEARCH=win64
    export WINEDEBUG=-all
    # No Mono or Gecko download prompts, and no menu entries or file associations on the host.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Creates and configures the prefix unless it is already there.
torvane_prefix_ensure() {
    local prefix=$1
    torvane_wine_env "$prefix"
    if [ -f "$prefix/.torvane-prefix-v$TORVANE_PREFIX_VERSION" ]; then
        return 0
    fi
    command -v wine >/dev/null || torvane_die "wine is not installed (run scripts/bootstrap.sh)"
    mkdir -p "$(dirname "$prefix")"
    echo "torvane: creating the Wine prefix $prefix"
    timeout 300 wineboot -i >"$prefix.log" 2>&1 || torvane_die "Wine cannot start: wineboot failed (see $prefix.log)"
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    [ -f "$prefix/system.reg" ] || torvane_die "Wine cannot start: no prefix was created at $prefix (see $prefix.log)"

    # Debian's Wine looks for Tahoma and Marlett in the prefix; without them caption buttons
    # draw as letters and dialogs fall back to other fonts.
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -f /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true

    local reg
    reg=$(mktemp --suffix=.reg)
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops\Default]
"EnableShell"=dword:00000001

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""
REG
    timeout 120 wine regedit /S "$(torvane_windows_path "$reg")" >/dev/null 2>&1 \
        || torvane_die "Wine cannot start: importing the prefix settings failed"
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    rm -f "$reg"
    touch "$prefix/.torvane-prefix-v$TORVANE_PREFIX_VERSION"
}

# Uses $DISPLAY when it answers; otherwise starts Xvfb on a free display. Sets DISPLAY and
# TORVANE_XVFB_PID (empty when the display was given).
torvane_display_ensure() {
    TORVANE_XVFB_PID=""
    if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        return 0
    fi
    command -v Xvfb >/dev/null || torvane_die "Xvfb is not installed (run scripts/bootstrap.sh)"
    local number
    for number in $(seq 90 190); do
        [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        TORVANE_XVFB_PID=$!
        local tries
        for tries in $(seq 1 100); do
            if xdpyinfo -display ":$number" >/dev/null 2>&1; then
                export DISPLAY=":$number"
                return 0
            fi
            kill -0 "$TORVANE_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$TORVANE_XVFB_PID" 2>/dev/null || true
        TORVANE_XVFB_PID=""
    done
    torvane_die "cannot start Xvfb: no free display between :90 and :190"
}

# Starts a persistent wineserver for the prefix, so that every Wine process starts quickly.
# Sets TORVANE_WINESERVER_PID (empty when one was already running for this prefix).
torvane_wineserver_start() {
    TORVANE_WINESERVER_PID=""
    wineserver -f -p >/dev/null 2>&1 &
    local pid=$!
    sleep 0.3
    if kill -0 "$pid" 2>/dev/null; then
        TORVANE_WINESERVER_PID=$pid
    fi
}

# Gives the virtual desktop's X window the input focus. Under a bare Xvfb nobody else does, and
# Wine then draws every window inactive.
torvane_focus_desktop() {
    local window
    window=$(xdotool search --name ' - Wine desktop$' 2>/dev/null | head -n1) || true
    [ -n "$window" ] && xdotool windowfocus "$window" >/dev/null 2>&1 || true
}

# Waits until a file exists, up to a number of seconds.
torvane_wait_for_file() {
    local file=$1 seconds=$2 tries
    for tries in $(seq 1 $((seconds * 10))); do
        [ -e "$file" ] && return 0
        sleep 0.1
    done
    return 1
}

# Stops one recorded process and waits for it to go.
torvane_stop_pid() {
    local pid=$1 tries
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for tries in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}
