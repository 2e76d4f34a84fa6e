#!/usr/bin/env bash
# Builds the release artefacts into dist/: the portable zip, the per-user installer and
# SHA256SUMS listing both, named after the version in CMakeLists.txt. The files inside are dated
# by the last commit, so the same commit gives the same bytes. TORVANE_RELEASE_BUILD names another
# build folder than the release preset's.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/bootstrap.sh"

build=$(realpath -m "${TORVANE_RELEASE_BUILD:-$root/build/release}")
cmake --preset release -S "$root" -B "$build" >/dev/null
# Packed afresh every time: the commit time the files carry is no input the build can see.
rm -rf "$build/dist"
cmake --build "$build" -j2 --target release

dist="$root/dist"
mkdir -p "$dist"
# dist/ holds one release, which its SHA256SUMS describes completely.
rm -f "$dist"/torvane-*-win64.zip "$dist"/torvane-*-setup.exe "$dist/SHA256SUMS"
cp "$build/dist"/* "$dist/"
(cd "$dist" && sha256sum --check --quiet SHA256SUMS)
echo "torvane: release artefacts in $dist:"
for file in "$dist"/torvane-*-win64.zip "$dist"/torvane-*-setup.exe "$dist/SHA256SUMS"; do
    printf '  %-32s %9s bytes\n' "$(basename "$file")" "$(stat -c %s "$file")"
done
