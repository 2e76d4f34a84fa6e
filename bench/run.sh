#!/usr/bin/env bash
# Builds the benchmarks and runs every *_bench program under Wine, in a prefix of their own.
#   bench/run.sh [build dir]
# Without a build folder, the release configuration is set up in build/release-bench.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/release-bench}
if [ $# -eq 0 ]; then
    cmake --preset release -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target benchmarks

export TORVANE_TEST_PREFIX=${TORVANE_TEST_PREFIX:-$root/.cache/wine-bench}
"$root/scripts/wine-session" start "$build" "$build/tests/desktop_keeper.exe"
trap '"$root/scripts/wine-session" stop "$build"' EXIT
# shellcheck source=/dev/null
. "$build/wine-session.env"

status=0
for program in "$build"/bench/*_bench.exe; do
    echo
    echo "== $(basename "$program" .exe)"
    wine "$program" || status=$?
done
exit "$status"
