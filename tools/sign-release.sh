#!/usr/bin/env bash
# Signs a release made by tools/release.sh with an OpenPGP key, and adds its
# Debian package to the apt repository kept beside it:
#   OUTDIR/SHA256SUMS.asc   a detached signature of OUTDIR/SHA256SUMS
#   OUTDIR/apt/             a Debian repository made with apt-ftparchive:
#     pool/main/n/nyamo/nyamo_<version>_amd64.deb   every version added so far
#     dists/stable/main/binary-amd64/Packages, Packages.xz
#     dists/stable/Release, InRelease (signed inline), Release.gpg (detached)
#     nyamo-archive-keyring.asc    the public key, for Signed-By
#
#   NYAMO_SIGN_KEY=<fingerprint> tools/sign-release.sh OUTDIR
#
# tools/release.sh runs it when NYAMO_SIGN_KEY is set; run alone, it signs a
# release made elsewhere (the key need not be on the building machine). The
# key is taken from the caller's GnuPG home ($GNUPGHOME, else ~/.gnupg);
# gpg's agent asks for its passphrase as usual.
#
# The suite is "stable", not a Debian release's name: one package, built on
# Debian 12, installs on Debian 12 and 13 alike, so every user writes the
# same source, which stays right when the system moves to the next release.
# A later release into the same OUTDIR adds its package beside the ones in
# the pool, and the indexes list them all: apt upgrades to the newest.
#
# The time of the signatures and of the Release file is the commit's
# (SOURCE_DATE_EPOCH, else the last commit's time, as in pack-windows.sh),
# given to gpg with --faked-system-time; a key made after the commit cannot
# sign before it exists, so then the key's own time is taken. With the same
# packages, key and time, every file written is the same byte for byte when
# the key is EdDSA or RSA, whose signatures have no random part (ECDSA and
# DSA ones do).
# Needs gpg, apt-utils (apt-ftparchive) and xz-utils. Exits 0 when done,
# 1 with one line saying why otherwise, 2 on a wrong command line.
set -euo pipefail
export LC_ALL=C.UTF-8 TZ=UTC
die() { echo "sign-release: $*" >&2; exit 1; }
[ $# -eq 1 ] && [[ $1 != -* ]] || { echo "usage: NYAMO_SIGN_KEY=<fingerprint> $0 OUTDIR" >&2; exit 2; }
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$1/SHA256SUMS" ] || die "no $1/SHA256SUMS: make the release first (tools/release.sh $1)"
OUT=$(cd "$1" && pwd)
KEY=${NYAMO_SIGN_KEY:-}
[ -n "$KEY" ] || die "NYAMO_SIGN_KEY is not set (the fingerprint of the signing key)"
for tool in gpg apt-ftparchive xz; do
    command -v "$tool" >/dev/null || die "$tool is missing (tools/setup-debian.sh --test installs it)"
done
keys=$(gpg --batch --with-colons --list-secret-keys -- "$KEY" 2>/dev/null) ||
    die "no secret key $KEY in the GnuPG home ${GNUPGHOME:-~/.gnupg}"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$SOURCE" log -1 --format=%ct 2>/dev/null || stat -c %Y "$OUT/SHA256SUMS")
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || die "SOURCE_DATE_EPOCH [$SOURCE_DATE_EPOCH] is not a number of seconds"
newest_key=$(awk -F: '$1 == "sec" || $1 == "ssb" { if ($6 > t) t = $6 } END { print t + 0 }' <<<"$keys")
when=$SOURCE_DATE_EPOCH
if [ "$newest_key" -gt "$when" ]; then
    echo "sign-release: note: the key is younger than the commit: the signatures bear the key's time, $(date -u -d "@$newest_key")"
    when=$newest_key
fi

WORK=$(mktemp -d /tmp/nyamo-sign.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
# sign MODE IN OUT: gpg's signature of IN made at the chosen time.
sign() {
    gpg --batch --yes --armor --local-user "$KEY" --faked-system-time "$when!" "$1" -o "$3" "$2" 2>"$WORK/gpg.log" ||
        { grep -v 'faked system time' "$WORK/gpg.log" >&2; die "gpg could not sign $2 with $KEY"; }
}

sign --detach-sign "$OUT/SHA256SUMS" "$WORK/SHA256SUMS.asc"

suite=stable
REPO=$OUT/apt
POOL=$REPO/pool/main/n/nyamo
DIST=$REPO/dists/$suite
mkdir -p "$POOL" "$DIST/main/binary-amd64" || die "cannot make $REPO"
# The packages of this release, as SHA256SUMS names them. A version once
# published keeps its bytes: apt would take other bytes under the same
# name for a damaged download.
debs=$(awk '$2 ~ /^nyamo_.*_amd64\.deb$/ { print $2 }' "$OUT/SHA256SUMS")
[ -n "$debs" ] || die "$OUT/SHA256SUMS names no nyamo_*_amd64.deb"
for deb in $debs; do
    if [ -e "$POOL/$deb" ] && ! cmp -s "$OUT/$deb" "$POOL/$deb"; then
        die "$POOL/$deb is already published with other bytes; a new build needs a new version"
    fi
done
for deb in $debs; do cp "$OUT/$deb" "$POOL/"; done

(cd "$REPO" && apt-ftparchive packages pool) >"$DIST/main/binary-amd64/Packages" || die "apt-ftparchive packages failed"
xz -9 -T1 -c "$DIST/main/binary-amd64/Packages" >"$DIST/main/binary-amd64/Packages.xz"
rm -f "$DIST/Release" "$DIST/InRelease" "$DIST/Release.gpg"
apt-ftparchive \
    -o APT::FTPArchive::Release::Origin=Nyamo -o APT::FTPArchive::Release::Label=Nyamo \
    -o APT::FTPArchive::Release::Suite="$suite" -o APT::FTPArchive::Release::Codename="$suite" \
    -o APT::FTPArchive::Release::Architectures=amd64 -o APT::FTPArchive::Release::Components=main \
    -o APT::FTPArchive::Release::Description="Nyamo, a screen saver of walking kittens" \
    -o APT::FTPArchive::Release::Date="$(date -u -d "@$when" '+%a, %d %b %Y %H:%M:%S UTC')" \
    release "$DIST" >"$WORK/Release" || die "apt-ftparchive release failed"
sign --clearsign "$WORK/Release" "$WORK/InRelease"
sign --detach-sign "$WORK/Release" "$WORK/Release.gpg"
gpg --batch --armor --export --export-options export-minimal -- "$KEY" >"$WORK/nyamo-archive-keyring.asc" &&
    [ -s "$WORK/nyamo-archive-keyring.asc" ] || die "cannot export the public key $KEY"

mv -f "$WORK/Release" "$WORK/InRelease" "$WORK/Release.gpg" "$DIST/"
mv -f "$WORK/nyamo-archive-keyring.asc" "$REPO/"
mv -f "$WORK/SHA256SUMS.asc" "$OUT/"
echo "sign-release: signed $OUT/SHA256SUMS; $REPO lists $(grep -c '^Version:' "$DIST/main/binary-amd64/Packages") version(s) of nyamo, signed at $(date -u -d "@$when")"
