#!/usr/bin/env bash
# Builds the release artefacts into dist/: the portable zip, the per-user installer and
# SHA256SUMS listing both, named after the version in CMakeLists.txt. The files inside are dated
# by the last commit, so the same commit gives the same bytes. TORVANE_RELEASE_BUILD names another
# build folder than the release preset's, TORVANE_RELEASE_DIST another folder than dist/.
#
# With TORVANE_SIGN_PFX (and TORVANE_SIGN_PASSWORD or TORVANE_SIGN_PASSWORD_FILE, optionally
# TORVANE_SIGN_TIMESTAMP_URL; see scripts/authenticode) the program, the uninstaller and the
# installer are signed. They reach the packing, which the build runs, through the environment
# only: neither the CMake cache nor a command line ever holds the password.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/bootstrap.sh"

# The build packs from its own folder: the certificate's files are named absolutely.
for variable in TORVANE_SIGN_PFX TORVANE_SIGN_PASSWORD_FILE; do
    [ -z "${!variable:-}" ] || export "$variable=$(realpath -m "${!variable}")"
done
# A certificate that cannot sign ends the command here, before the build and with dist/ untouched.
signing=$("$root/scripts/authenticode" check)

build=$(realpath -m "${TORVANE_RELEASE_BUILD:-$root/build/release}")
cmake --preset release -S "$root" -B "$build" >/dev/null
# Packed afresh every time: the commit time the files carry is no input the build can see.
rm -rf "$build/dist"
cmake --build "$build" -j2 --target release

dist=$(realpath -m "${TORVANE_RELEASE_DIST:-$root/dist}")
mkdir -p "$dist"
# dist/ holds one release, which its SHA256SUMS describes completely.
rm -f "$dist"/torvane-*-win64.zip "$dist"/torvane-*-setup.exe "$dist/SHA256SUMS"
cp "$build/dist"/* "$dist/"
if [ -n "${TORVANE_SIGN_PFX:-}" ]; then
    # Signatures are no input the build can see either: without its signed copy the build packs
    # unsigned artefacts again for the tests, which build this target too.
    rm -rf "$build/dist"
fi
(cd "$dist" && sha256sum --check --quiet SHA256SUMS)
echo "torvane: release artefacts in $dist:"
for file in "$dist"/torvane-*-win64.zip "$dist"/torvane-*-setup.exe "$dist/SHA256SUMS"; do
    printf '  %-32s %9s bytes\n' "$(basename "$file")" "$(stat -c %s "$file")"
done
echo "$signing"
