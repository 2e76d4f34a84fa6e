#!/usr/bin/env bash
# Installs what building and running Torvane needs on a Debian 12 machine: the apt packages and
# libjpeg-turbo cross-built from Debian's source package into .cache/libjpeg-turbo. A second
# run finds everything in place and returns at once. Needs root for apt.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache="$root/.cache"
jpeg_prefix="$cache/libjpeg-turbo"

die() {
    echo "torvane: $*" >&2
    exit 1
}

packages=(
    cmake make ninja-build
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine wine64 fonts-wine
    xvfb xauth x11-utils xdotool imagemagick
    nasm dpkg-dev
    nsis zip unzip
    openssl osslsigncode
)

mkdir -p "$cache"
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
    [ "$(id -u)" -eq 0 ] || die "these packages are missing and installing them needs root: ${missing[*]}"
    echo "torvane: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >"$cache/apt.log" 2>&1 || die "apt-get update failed: the package registry is not reachable"
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >>"$cache/apt.log" 2>&1 \
        || die "cannot install the packages: ${missing[*]} (see $cache/apt.log)"
fi

# libjpeg-turbo, cross-built as a static library. It is built with -fexceptions so that our
# error handler may throw through its frames.
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
    sources=/etc/apt/sources.list.d/torvane-deb-src.sources
    if ! apt-get source --print-uris libjpeg-turbo >/dev/null 2>&1; then
        [ "$(id -u)" -eq 0 ] || die "fetching libjpeg-turbo's source needs a deb-src entry, and adding one needs root"
        # The same mirror and suites as the machine's own deb entries.
        # Either file may be missing (Debian 12 ships only debian.sources), so grep's status is
        # not a failure here.
        mirror=$( { grep -h -E '^(URIs:|deb )' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null || true; } \
            | { grep -v -i security || true; } | head -n1 \
            | sed -E 's/^URIs:[[:space:]]*//; s/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?//; s/[[:space:]].*//')
        [ -n "$mirror" ] || mirror=http://deb.debian.org/debian
        cat >"$sources" <<SOURCES
Types: deb-src
URIs: $mirror
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
        apt-get update -qq >/dev/null || die "apt-get update failed after adding the deb-src entry"
    fi
    rm -rf "$cache/src/libjpeg-turbo"
    mkdir -p "$cache/src/libjpeg-turbo"
    (cd "$cache/src/libjpeg-turbo" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1) \
        || die "cannot fetch the source package libjpeg-turbo"
    source_dir=$(find "$cache/src/libjpeg-turbo" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
    [ -n "$source_dir" ] || die "the libjpeg-turbo source package did not unpack"
    echo "torvane: building libjpeg-turbo for Windows from $(basename "$source_dir")"
    cmake -S "$source_dir" -B "$cache/src/libjpeg-turbo/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS="-fexceptions" \
        -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF \
        -DREQUIRE_SIMD=ON >"$cache/src/libjpeg-turbo/configure.log" 2>&1 \
        || die "configuring libjpeg-turbo failed (see $cache/src/libjpeg-turbo/configure.log)"
    cmake --build "$cache/src/libjpeg-turbo/build" -j2 >"$cache/src/libjpeg-turbo/build.log" 2>&1 \
        || die "building libjpeg-turbo failed (see $cache/src/libjpeg-turbo/build.log)"
    cmake --install "$cache/src/libjpeg-turbo/build" >/dev/null \
        || die "installing libjpeg-turbo into $jpeg_prefix failed"
fi
