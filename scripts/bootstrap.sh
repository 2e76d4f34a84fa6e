#!/usr/bin/env bash
# Installs what building and running Torvane needs on a Debian 12 machine: the apt packages and
# libjpeg-turbo and expat cross-built from Debian's source packages into .cache/. A second
# run finds everything in place and returns at once. Needs root for apt.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache="$root/.cache"
jpeg_prefix="$cache/libjpeg-turbo"
expat_prefix="$cache/expat"

die() {
    echo "torvane: $*" >&2
    exit 1
}

packages=(
    cmake make ninja-build
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine wine64 fonts-wine
    xvfb xauth x11-utils xdotool imagemagick
    dpkg-dev
    nsis zip unzip
    openssl osslsigncode
    clang-format
    locales fonts-wqy-microhei
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

# The Chinese interfaces under Wine: Wine takes a process's interface language and system code page
# from the host's locale, and maps Chinese file names only under a locale that exists; the
# WenQuanYi font draws both scripts, which the window and its tests need.
for locale in zh_CN zh_TW; do
    if ! locale -a 2>/dev/null | grep -qix "$locale.utf-\?8"; then
        [ "$(id -u)" -eq 0 ] || die "the host locale $locale.UTF-8 is missing and making it needs root"
        if grep -q -E "^# *$locale.UTF-8 UTF-8" /etc/locale.gen; then
            sed -i -E "s/^# *($locale.UTF-8 UTF-8)/\1/" /etc/locale.gen
        else
            echo "$locale.UTF-8 UTF-8" >>/etc/locale.gen
        fi
        locale-gen >>"$cache/apt.log" 2>&1 || die "cannot make the host locale $locale.UTF-8 (see $cache/apt.log)"
    fi
done

# Adds a deb-src entry for the machine's own mirror, once, so that apt-get source works.
ensure_deb_src() {
    local package=$1 sources=/etc/apt/sources.list.d/torvane-deb-src.sources mirror
    apt-get source --print-uris "$package" >/dev/null 2>&1 && return 0
    [ "$(id -u)" -eq 0 ] || die "fetching $package's source needs a deb-src entry, and adding one needs root"
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
}

# Fetches a Debian source package (with Debian's patches applied) and builds and installs it for
# Windows as a static library into prefix, with CMake from source_subdir and the given options;
# prepare (a function, or -) runs in the unpacked source folder first.
#   cross_build_source <package> <prefix> <source_subdir> <prepare> <cmake options...>
cross_build_source() {
    local package=$1 prefix=$2 subdir=$3 prepare=$4
    shift 4
    local work="$cache/src/$package" source_dir
    ensure_deb_src "$package"
    rm -rf "$work"
    mkdir -p "$work"
    (cd "$work" && apt-get source -qq "$package" >/dev/null 2>&1) || die "cannot fetch the source package $package"
    source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n1)
    [ -n "$source_dir" ] || die "the $package source package did not unpack"
    echo "torvane: building $package for Windows from $(basename "$source_dir")"
    if [ "$prepare" != - ]; then
        (cd "$source_dir/$subdir" && "$prepare") || die "preparing $package's source failed"
    fi
    cmake -S "$source_dir/$subdir" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        "$@" >"$work/configure.log" 2>&1 \
        || die "configuring $package failed (see $work/configure.log)"
    cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || die "building $package failed (see $work/build.log)"
    cmake --install "$work/build" >/dev/null || die "installing $package into $prefix failed"
}

# Builds a library as cross_build_source does, unless its prefix already holds one built the same
# way: the options and the preparation are recorded beside it, so that a checkout whose library
# was built otherwise builds it again.
#   cross_build_once <package> <prefix> <library file> <source_subdir> <prepare> <cmake options...>
cross_build_once() {
    local package=$1 prefix=$2 library=$3 subdir=$4 prepare=$5
    shift 5
    local record="$prefix/torvane-build" wanted
    wanted=$({
        printf '%s\n' "$subdir" "$@"
        if [ "$prepare" != - ]; then declare -f "$prepare"; fi
    })
    if [ -f "$prefix/lib/$library" ] && [ "$(cat "$record" 2>/dev/null)" = "$wanted" ]; then
        return 0
    fi
    rm -rf "$prefix"
    cross_build_source "$package" "$prefix" "$subdir" "$prepare" "$@"
    printf '%s\n' "$wanted" >"$record"
}

# The C libraries print through the C runtime's own printf family: MinGW's replacement, which C99
# builds get by default, would bring its whole formatting and scanning engine into the program for
# messages nobody sees.
c_runtime_stdio=-D__USE_MINGW_ANSI_STDIO=0

# libjpeg-turbo, cross-built as a static library. It is built with -fexceptions so that our
# error handler may throw through its frames. It decodes two small banners once per start, so it
# is built for size and without its SIMD code, most of which is encoder the program never runs:
# the pixels are the same, and a banner takes a few tenths of a millisecond longer.
cross_build_once libjpeg-turbo "$jpeg_prefix" libjpeg.a . - \
    -DCMAKE_C_FLAGS="-fexceptions $c_runtime_stdio" -DCMAKE_C_FLAGS_RELEASE="-Os -DNDEBUG" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_SIMD=OFF

# Expat, the parser that finds the settings in the client's file, cross-built as a static library
# that reports names and text as UTF-16, as the rest of the program holds them.
# Debian's security patches test "#if XML_DTD == 1", which holds only where the configuration
# header gives the macro a value; Debian's own build does, expat's CMake template does not.
expat_define_dtd() {
    sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' expat_config.h.cmake
}
# It stays built for speed: every settings pass reads the whole file through it.
cross_build_once expat "$expat_prefix" libexpatw.a expat expat_define_dtd \
    -DCMAKE_C_FLAGS="$c_runtime_stdio" \
    -DEXPAT_CHAR_TYPE=wchar_t -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
    -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
