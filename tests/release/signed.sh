#!/usr/bin/env bash
# The signed release, made by the release command with a throwaway self-signed code-signing
# certificate into a build and dist folder of its own: the zip's program, the installer and the
# uninstaller that a silent install writes each carry that certificate's signature; the signed
# installer installs, starts and closes the signed program and uninstalls under Wine; and a
# certificate that cannot sign stops the command, leaving the last release as it was.
#   signed.sh <release_tests.exe> <work folder>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tests_exe=$1 work=$(realpath -m "$2")
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

certificates="$work/certificates" dist="$work/dist"
rm -rf "$certificates" "$dist" "$work/check"
mkdir -p "$certificates" "$work/check"
unset TORVANE_SIGN_PFX TORVANE_SIGN_PASSWORD TORVANE_SIGN_PASSWORD_FILE TORVANE_SIGN_TIMESTAMP_URL
export TORVANE_RELEASE_BUILD="$work/build" TORVANE_RELEASE_DIST="$dist"

# A space in the password, which must survive every hand-over.
password="throwaway pass"
printf '%s\n' "$password" >"$certificates/password"
openssl genrsa -out "$certificates/key.pem" 2048 2>/dev/null
# certificate <name> <extended key usage>: a self-signed certificate valid for a day, in <name>.pfx
certificate() {
    openssl req -x509 -key "$certificates/key.pem" -days 1 -subj "/CN=Torvane test $1" \
        -addext "extendedKeyUsage=$2" -out "$certificates/$1.pem" 2>/dev/null
}
pfx() {
    openssl pkcs12 -export -inkey "$certificates/key.pem" -in "$certificates/$1.pem" \
        -passout "file:$certificates/password" -out "$certificates/$1.pfx"
}
certificate signer codeSigning
certificate server serverAuth
# The signer's certificate, expired since yesterday.
openssl x509 -in "$certificates/signer.pem" -signkey "$certificates/key.pem" -days -1 \
    -out "$certificates/expired.pem" 2>/dev/null
for name in signer server expired; do
    pfx "$name"
done

# verify <file> <what>: signed by the throwaway certificate, with the product's name and home page.
verify() {
    if ! osslsigncode verify -CAfile "$certificates/signer.pem" -in "$1" >"$work/check/verify.log" 2>&1; then
        fail "$2 is not signed by the test certificate: $(tail -n 3 "$work/check/verify.log" | tr '\n' ' ')"
    elif ! grep -q 'Text description: Torvane for BitComet' "$work/check/verify.log" \
        || ! grep -q 'URL description: https://torvane.example.org/$' "$work/check/verify.log"; then
        fail "$2's signature lacks the product name or the home page"
    fi
}

if ! TORVANE_SIGN_PFX="$certificates/signer.pfx" TORVANE_SIGN_PASSWORD_FILE="$certificates/password" \
    "$root/scripts/release.sh" >"$work/release.log" 2>&1; then
    cat "$work/release.log" >&2
    echo "FAILED: the signed release did not go through" >&2
    exit 1
fi
grep -q '^torvane: signing as "Torvane test signer" .*will expire with the certificate' "$work/release.log" \
    || fail "the release does not say that its signatures expire with the certificate"
setup=$(ls "$dist"/torvane-*-setup.exe) zip=$(ls "$dist"/torvane-*-win64.zip)
unzip -q -o "$zip" torvane.exe -d "$work/check"
verify "$work/check/torvane.exe" "the zip's torvane.exe"
verify "$setup" "the installer"
(cd "$dist" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not describe the signed files"

# The installer carries the zip's signed program, which starts and closes; the uninstaller it
# wrote is kept for its signature and uninstalls.
if "$root/scripts/winerun" "$tests_exe" --gtest_brief=1 --gtest_filter='Release.SilentInstall*' \
    "$setup" "$work/check/torvane.exe" "$work/check/uninstall.exe"; then
    verify "$work/check/uninstall.exe" "the installed uninstall.exe"
else
    fail "the signed release does not install, start and uninstall"
fi

# refuse <case> <variable=value>...: the release command fails and dist/ keeps the last release.
snapshot() {
    (cd "$dist" && ls -l --time-style=+%s.%N && sha256sum -- *)
}
before=$(snapshot)
refuse() {
    local case=$1
    shift
    if env "$@" "$root/scripts/release.sh" >"$work/check/refused.out" 2>"$work/check/refused.err"; then
        fail "$case: the release went through"
    fi
    [ "$(snapshot)" = "$before" ] || fail "$case: dist/ changed"
    [ -z "$(ls -A "$work/build/dist" 2>/dev/null)" ] || fail "$case: the build's dist folder is not empty"
}
# The certificate is checked before anything is built or signed, and said what is wrong with in
# one line.
refuse_with_one_line() {
    local case=$1
    refuse "$@"
    if [ "$(wc -l <"$work/check/refused.err")" -ne 1 ] || ! grep -q '^torvane: ' "$work/check/refused.err"; then
        fail "$case: not one torvane: line on stderr: $(cat "$work/check/refused.err")"
    fi
}
refuse_with_one_line "wrong password" TORVANE_SIGN_PFX="$certificates/signer.pfx" TORVANE_SIGN_PASSWORD="wrong"
refuse_with_one_line "missing file" TORVANE_SIGN_PFX="$certificates/missing.pfx" TORVANE_SIGN_PASSWORD="$password"
refuse_with_one_line "expired" TORVANE_SIGN_PFX="$certificates/expired.pfx" TORVANE_SIGN_PASSWORD="$password"
refuse_with_one_line "no code signing" TORVANE_SIGN_PFX="$certificates/server.pfx" TORVANE_SIGN_PASSWORD="$password"
# A time-stamp server that does not answer fails the signing itself, half-way through the packing.
refuse "time-stamp server down" TORVANE_SIGN_PFX="$certificates/signer.pfx" TORVANE_SIGN_PASSWORD="$password" \
    TORVANE_SIGN_TIMESTAMP_URL="http://127.0.0.1:9/"

[ "$failures" -eq 0 ] || exit 1
echo "the signed release verifies, installs and runs; certificates that cannot sign are refused"
