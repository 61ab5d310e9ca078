#!/usr/bin/env bash
# Packs a Windows build into its two release files, the same bytes each time
# for the same build and time:
#   OUTDIR/Nyamo-<version>-setup.exe    the per-user installer (NSIS)
#   OUTDIR/Nyamo-<version>-windows.zip  the portable zip: the .scr and README.txt
#
# Usage: tools/pack-windows.sh <build-win-dir> <outdir>
# The one time written into them (file times inside the installer and the
# zip) is SOURCE_DATE_EPOCH, by default the time of the last commit of the
# source tree, or the time of its CMakeLists.txt where there is no git
# history (a source archive from git archive carries the commit's time).
# With NYAMO_CODESIGN_PFX set (see tools/sign-windows-file.sh), the .scr,
# NyamoSettings.exe and the uninstaller are signed before they are packed,
# and then the installer: the zip and the installer hold the signed programs.
# Needs makensis (Debian's nsis) and zip. Exits non-zero, saying why, when
# anything is missing or fails; an output file is then not left half made.
set -euo pipefail
export LC_ALL=C.UTF-8 TZ=UTC

die() { echo "pack-windows: $*" >&2; exit 1; }
[ $# -eq 2 ] || { echo "usage: $0 <build-win-dir> <outdir>" >&2; exit 2; }
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
[ -d "$1" ] || die "no build folder $1"
BUILD=$(cd "$1" && pwd)
for f in Nyamo_07.scr NyamoSettings.exe nyamo-version.txt; do
    [ -f "$BUILD/$f" ] || die "$BUILD/$f is missing: build the Windows programs first (ninja -C $BUILD)"
done
for tool in makensis zip; do
    command -v "$tool" >/dev/null || die "$tool is missing (Debian package: $([ "$tool" = makensis ] && echo nsis || echo zip))"
done
VERSION=$(cat "$BUILD/nyamo-version.txt")
[[ $VERSION =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "unexpected version [$VERSION] in $BUILD/nyamo-version.txt"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$SOURCE" log -1 --format=%ct 2>/dev/null || stat -c %Y "$SOURCE/CMakeLists.txt")
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || die "SOURCE_DATE_EPOCH [$SOURCE_DATE_EPOCH] is not a number of seconds"
export SOURCE_DATE_EPOCH

signing=()
if [ -n "${NYAMO_CODESIGN_PFX:-}" ]; then
    # (makensis runs the uninstaller's signing from its script's folder.)
    NYAMO_CODESIGN_PFX=$(realpath -e -- "$NYAMO_CODESIGN_PFX") || die "NYAMO_CODESIGN_PFX names no file"
    export NYAMO_CODESIGN_PFX
    sign() { bash "$SOURCE/tools/sign-windows-file.sh" "$1" || die "signing $(basename "$1") failed"; }
    signing=(-DSIGN_COMMAND="bash \"$SOURCE/tools/sign-windows-file.sh\"")
fi

mkdir -p "$2" || die "cannot make $2"
OUT=$(cd "$2" && pwd)
SETUP=$OUT/Nyamo-$VERSION-setup.exe
ZIP=$OUT/Nyamo-$VERSION-windows.zip
WORK=$(mktemp -d /tmp/nyamo-pack.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
umask 022

# Every file packed has the same mode and time, whoever built it and when.
stamp() { chmod 644 "$@" && touch -h -d "@$SOURCE_DATE_EPOCH" "$@"; }

# The programs as they are packed: signed copies when there is a certificate.
mkdir "$WORK/programs"
cp "$BUILD/Nyamo_07.scr" "$BUILD/NyamoSettings.exe" "$WORK/programs/"
if [ ${#signing[@]} -gt 0 ]; then
    sign "$WORK/programs/Nyamo_07.scr"
    sign "$WORK/programs/NyamoSettings.exe"
fi

# The installer. makensis keeps each file's time and gives it back on
# installation; nothing else in its output depends on the clock.
mkdir "$WORK/stage"
cp "$WORK/programs/Nyamo_07.scr" "$WORK/programs/NyamoSettings.exe" "$WORK/stage/"
cp "$SOURCE/assets/icon.ico" "$WORK/icon.ico"
stamp "$WORK/stage/"* "$WORK/icon.ico"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DSTAGE="$WORK/stage" -DICON="$WORK/icon.ico" \
    -DOUTFILE="$WORK/setup.exe" "${signing[@]}" "$SOURCE/platform/win32/package/installer.nsi" >"$WORK/makensis.log" 2>&1 ||
    { cat "$WORK/makensis.log" >&2; die "makensis failed"; }
[ ${#signing[@]} -eq 0 ] || sign "$WORK/setup.exe"

# The zip: one folder named after the release, its members in a fixed order,
# no extra fields (owner, Unix times), times in UTC.
FOLDER=Nyamo-$VERSION-windows
mkdir "$WORK/$FOLDER"
cp "$WORK/programs/Nyamo_07.scr" "$WORK/$FOLDER/"
sed -e "s/@VERSION@/$VERSION/g" -e 's/$/\r/' "$SOURCE/platform/win32/package/README.txt" >"$WORK/$FOLDER/README.txt"
stamp "$WORK/$FOLDER/"*
(cd "$WORK" && zip -q -X -D -9 "$WORK/portable.zip" "$FOLDER/Nyamo_07.scr" "$FOLDER/README.txt") || die "zip failed"

mv -f "$WORK/setup.exe" "$SETUP"
mv -f "$WORK/portable.zip" "$ZIP"
echo "$SETUP"
echo "$ZIP"
