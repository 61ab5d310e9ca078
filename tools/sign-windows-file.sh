#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (Debian's osslsigncode):
#   tools/sign-windows-file.sh FILE
# tools/pack-windows.sh runs it on the programs before they are packed and on
# the installer; makensis runs it on the uninstaller it makes (!uninstfinalize).
#
#   NYAMO_CODESIGN_PFX        the certificate, its chain and its key (PKCS#12)
#   NYAMO_CODESIGN_PASS       the PKCS#12 file's password (empty by default)
#   NYAMO_CODESIGN_TIMESTAMP  an RFC 3161 time-stamp server's URL (optional)
#
# Without a time-stamp server the signature says it was made at
# SOURCE_DATE_EPOCH (the commit's time), and the same file, certificate and
# time give the same bytes: PKCS#1 v1.5 RSA signatures have no random part
# (an ECDSA key's signatures do). A time stamp is the server's answer, new
# each time. The program's own bytes are kept: the signature goes into the
# PE's certificate table at the end, and only the PE checksum and the table's
# entry in the header change, which Authenticode's digest leaves out.
# Exits 1 with one line saying why when the file cannot be signed; the file
# is then unchanged.
set -euo pipefail
die() { echo "sign-windows-file: $*" >&2; exit 1; }
[ $# -eq 1 ] || { echo "usage: $0 FILE" >&2; exit 2; }
[ -f "$1" ] || die "no file $1"
[ -r "${NYAMO_CODESIGN_PFX:-}" ] || die "NYAMO_CODESIGN_PFX [${NYAMO_CODESIGN_PFX:-}] is not a readable PKCS#12 file"
command -v osslsigncode >/dev/null || die "osslsigncode is missing (Debian package: osslsigncode)"

when=()
if [ -n "${NYAMO_CODESIGN_TIMESTAMP:-}" ]; then
    when=(-ts "$NYAMO_CODESIGN_TIMESTAMP")
else
    [[ ${SOURCE_DATE_EPOCH:-} =~ ^[0-9]+$ ]] || die "SOURCE_DATE_EPOCH [${SOURCE_DATE_EPOCH:-}] is not a number of seconds"
    when=(-time "$SOURCE_DATE_EPOCH")
fi
# (osslsigncode writes only a file that does not exist yet.)
work=$(mktemp -d "$(dirname "$1")/.signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
signed=$work/signed
# A password goes through a pipe, not the command line (which others may
# read); an empty one cannot (osslsigncode reads nothing from an empty pipe).
# The pipe by its path: Debian 12's osslsigncode 2.5 opens "-" as a file.
password=(-pass "")
[ -z "${NYAMO_CODESIGN_PASS:-}" ] || password=(-readpass /dev/stdin)
if ! log=$(printf '%s' "${NYAMO_CODESIGN_PASS:-}" | osslsigncode sign -pkcs12 "$NYAMO_CODESIGN_PFX" "${password[@]}" \
        -h sha256 -n Nyamo "${when[@]}" -in "$1" -out "$signed" 2>&1); then
    echo "$log" >&2
    die "osslsigncode could not sign $1"
fi
chmod --reference="$1" "$signed" && mv -f "$signed" "$1"
