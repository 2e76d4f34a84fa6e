#!/usr/bin/env bash
# Packs the release twice from the same program under different conditions (file dates, umask,
# time zone) and expects the same bytes, the zip's entries in their fixed order, dated the
# source date, holding exactly the built program, and checksums that verify.
#   reproducible.sh <torvane.exe> <generated dir>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exe=$1 generated=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# 2026-01-01 00:00:00 UTC: a date the packing must use whatever the files and the clock say.
export SOURCE_DATE_EPOCH=1767225600
pack() {
    local run=$1 mtime=$2 mask=$3 zone=$4
    mkdir -p "$work/$run"
    cp "$exe" "$work/$run/torvane.exe"
    touch -d "@$mtime" "$work/$run/torvane.exe"
    (umask "$mask" && TZ=$zone "$root/scripts/package" "$work/$run/torvane.exe" "$generated" "$work/$run/out" \
        t-win64.zip t-setup.exe)
}
pack one 1700000000 0022 UTC
pack two 1800000000 0077 Pacific/Kiritimati

for file in t-win64.zip t-setup.exe SHA256SUMS; do
    cmp -s "$work/one/out/$file" "$work/two/out/$file" || fail "$file differs between two packings"
done

entries=$(unzip -Z1 "$work/one/out/t-win64.zip" | tr '\n' ' ')
[ "$entries" = "torvane.exe help.html help.zh-CN.html help.zh-TW.html README.txt LICENSE " ] \
    || fail "zip entries: $entries"
dates=$(unzip -Z -T "$work/one/out/t-win64.zip" | grep -c ' 20260101\.000000 ' || true)
[ "$dates" -eq 6 ] || fail "$dates of 6 zip entries are dated the source date"
unzip -p "$work/one/out/t-win64.zip" torvane.exe | cmp -s - "$exe" || fail "the zip's torvane.exe is not the built one"
unzip -p "$work/one/out/t-win64.zip" README.txt | grep -q $'\r$' || fail "README.txt in the zip has no CRLF line ends"
(cd "$work/one/out" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not verify"
[ "$(wc -l <"$work/one/out/SHA256SUMS")" -eq 2 ] || fail "SHA256SUMS does not list exactly the two artefacts"

[ "$failures" -eq 0 ] || exit 1
echo "the release packs to the same bytes twice"
