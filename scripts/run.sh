#!/usr/bin/env bash
# Builds everything and starts Torvane under Wine, in a private prefix with a virtual desktop.
#
# With a DISPLAY the program shows there until you close it. Without one (or with --headless)
# it runs under Xvfb and the script walks through the whole flow by itself: it takes a
# screenshot, clicks Run, brings the window back from the notification area by starting the
# program a second time, takes a screenshot of the ticked check list, closes the program, and
# prints the demo settings before the run, after it and after the close; last it takes a screenshot
# of the window as a Simplified Chinese Windows shows it.
#
# When no client is registered in the prefix, a demo client is set up first, laid out as today's
# client installs itself: a stand-in BitComet.exe (a tiny program of ours, not the real client)
# in "C:\Program Files\BitComet" inside the prefix, registered as the default value of
# HKCU\Software\BitComet, and a sample BitComet.xml in the user's roaming application data
# folder, %APPDATA%\BitComet. The demo's settings file is reset from the sample on every run.
#
#   scripts/run.sh [--headless]
# TORVANE_SHOTS_DIR chooses where the screenshots go (default build/release/screenshots).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=lib/wine.sh
. "$root/scripts/lib/wine.sh"

headless=""
[ "${1:-}" = "--headless" ] && headless=1

bash "$root/scripts/bootstrap.sh"

build="$root/build/release"
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release --target torvane standin_bitcomet tvctl desktop_keeper

prefix="$root/.cache/wine-run"
torvane_prefix_ensure "$prefix"

[ -n "$headless" ] && unset DISPLAY
torvane_display_ensure
started_display=$TORVANE_XVFB_PID
torvane_wineserver_start
keeper_pid=""
cleanup() {
    torvane_stop_pid "$keeper_pid"
    if [ -n "$TORVANE_WINESERVER_PID" ]; then
        timeout 20 wineserver -k >/dev/null 2>&1 || true
        torvane_stop_pid "$TORVANE_WINESERVER_PID"
    fi
    torvane_stop_pid "$started_display"
}
trap cleanup EXIT

ready="$build/run-session.ready"
rm -f "$ready"
wine "$build/tests/desktop_keeper.exe" "$(torvane_windows_path "$ready")" >/dev/null 2>&1 &
keeper_pid=$!
torvane_wait_for_file "$ready" 60 || torvane_die "Wine cannot start: the virtual desktop did not come up"
[ -n "$started_display" ] && torvane_focus_desktop

tvctl() { wine "$build/tests/tvctl.exe" "$@" 2>/dev/null; }
torvane() { wine "$build/app/torvane.exe" >/dev/null 2>&1; }

# The demo client, unless a client is registered already.
demo="$prefix/drive_c/Program Files/BitComet"
if ! wine reg query 'HKCU\Software\BitComet' /ve >/dev/null 2>&1; then
    echo "torvane: no client registered in the prefix; setting up the demo client in C:\\Program Files\\BitComet"
    mkdir -p "$demo"
    wine reg add 'HKCU\Software\BitComet' /ve /d 'C:\Program Files\BitComet' /f >/dev/null 2>&1 \
        || torvane_die "cannot register the demo client in the prefix"
fi
# Wine names the user's folder after the Unix user.
roaming="$prefix/drive_c/users/$(id -un)/AppData/Roaming/BitComet"
settings="$roaming/BitComet.xml"
if [ -d "$demo" ]; then
    cp -f "$build/tests/standin/BitComet.exe" "$demo/BitComet.exe"
    # An earlier demo kept the settings beside the program, where they would be found first.
    rm -f "$demo/BitComet.xml"
    mkdir -p "$roaming"
    chmod u+w "$settings" 2>/dev/null || true
    cp -f "$root/tests/standin/BitComet.xml" "$settings"
fi

caption="Torvane for BitComet 1.0"
if [ -z "$started_display" ]; then
    echo "torvane: starting Torvane on $DISPLAY; close its window to end"
    torvane || true
    exit 0
fi

# The four settings Torvane manages, as the settings file holds them now.
managed() {
    grep -o -E '<(ConnectedPeersMax|MaxTcpConnectionAttempts|GlobalMaxUploadRate|GlobalMaxDownloadRate)>[^<]*</[A-Za-z]+>' \
        "$settings" | sed 's/^/    /' || echo "    (none of them: the client uses its own defaults)"
}

shots=${TORVANE_SHOTS_DIR:-$build/screenshots}
mkdir -p "$shots"
shoot() {
    local file=$1
    read -r x y w h < <(tvctl rect "$caption" | tr -d '\r')
    import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$file"
    echo "torvane: screenshot saved to $file"
}

echo "torvane: no display; running Torvane under Xvfb ($DISPLAY) and walking through a run"
echo "The demo settings before Torvane starts (C:\\users\\$(id -un)\\AppData\\Roaming\\BitComet\\BitComet.xml):"
managed
torvane &
torvane_pid=$!
tvctl wait "$caption" 30 || torvane_die "the Torvane window did not appear"
sleep 1
shoot "$shots/screenshot.png"

tvctl click "$caption" "Run" || torvane_die "cannot press Run"
tvctl gone "$caption" 30 || torvane_die "the run did not finish"
echo "torvane: the run went through; the window is in the notification area"
# Wine marks a read-only file by clearing its write permissions.
echo "The demo settings after Run (read-only: $(find "$settings" -perm /222 | grep -q . && echo no || echo yes)):"
managed
if tvctl wait "BitComet (stand-in)" 10; then
    echo "The demo client's stand-in was started with: $(tail -n 1 "$demo/standin-starts.log" | cut -f1 | tr -d '\r')"
    tvctl close "BitComet (stand-in)" || true
fi

# A second start brings the first back from the notification area and ends at once.
torvane || true
tvctl wait "$caption" 30 || torvane_die "a second start did not bring the window back"
sleep 2
shoot "$shots/screenshot-after-run.png"

tvctl close "$caption" || true
wait "$torvane_pid" || true
echo "The demo settings after Torvane closed:"
managed

# The window as a Simplified Chinese Windows shows it: Wine takes the language from the host's.
LANG=zh_CN.UTF-8 torvane &
torvane_pid=$!
tvctl wait "$caption" 30 || torvane_die "the Chinese Torvane window did not appear"
sleep 1
shoot "$shots/screenshot-zh-CN.png"
tvctl close "$caption" || true
wait "$torvane_pid" || true
