#!/usr/bin/env bash
# Builds everything and starts Torvane under Wine, in a private prefix with a virtual desktop.
# With a DISPLAY the program shows there until you close it. Without one it runs under Xvfb,
# saves a screenshot and prints its path.
#
# When no client is registered in the prefix, a demo client is set up first: a folder
# "C:\Program Files\BitComet" inside the prefix with a sample BitComet.xml and a stand-in
# BitComet.exe (a tiny program of ours, not the real client), registered as the default value
# of HKCU\Software\BitComet.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=lib/wine.sh
. "$root/scripts/lib/wine.sh"

bash "$root/scripts/bootstrap.sh"

build="$root/build/release"
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release --target torvane standin_bitcomet tvctl desktop_keeper

prefix="$root/.cache/wine-run"
torvane_prefix_ensure "$prefix"

started_display=""
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

tvctl() { wine "$build/tests/tvctl.exe" "$@" 2>/dev/null; }

# The demo client, unless a client is registered already.
demo="$prefix/drive_c/Program Files/BitComet"
if ! wine reg query 'HKCU\Software\BitComet' /ve >/dev/null 2>&1; then
    echo "torvane: no client registered in the prefix; setting up the demo client in C:\\Program Files\\BitComet"
    mkdir -p "$demo"
    cp "$root/tests/standin/BitComet.xml" "$demo/BitComet.xml"
    wine reg add 'HKCU\Software\BitComet' /ve /d 'C:\Program Files\BitComet' /f >/dev/null 2>&1 \
        || torvane_die "cannot register the demo client in the prefix"
fi
if [ -d "$demo" ]; then
    # Keep the stand-in current with the build.
    cp -f "$build/tests/standin/BitComet.exe" "$demo/BitComet.exe"
fi

caption="Torvane for BitComet 1.0"
if [ -z "$started_display" ]; then
    echo "torvane: starting Torvane on $DISPLAY; close its window to end"
    wine "$build/app/torvane.exe" >/dev/null 2>&1 || true
    exit 0
fi

echo "torvane: no display; running Torvane under Xvfb ($DISPLAY)"
wine "$build/app/torvane.exe" >/dev/null 2>&1 &
torvane_pid=$!
tvctl wait "$caption" 30 || torvane_die "the Torvane window did not appear"
sleep 1
shots="$build/screenshots"
mkdir -p "$shots"
shot="$shots/torvane-$(date +%Y%m%d-%H%M%S).png"
read -r x y w h < <(tvctl rect "$caption" | tr -d '\r')
import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
echo "torvane: screenshot saved to $shot"
tvctl close "$caption" || true
wait "$torvane_pid" || true
