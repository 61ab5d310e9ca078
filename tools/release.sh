#!/usr/bin/env bash
# Makes a release of the committed HEAD in OUTDIR (default dist/):
#   nyamo_<version>_amd64.deb          the Debian package (debhelper; lintian-checked)
#   Nyamo-<version>-setup.exe          the Windows installer   } tools/release-windows.sh,
#   Nyamo-<version>-windows.zip        the portable zip        } when the tree has it
#   nyamo-<version>.tar.gz             the source (git archive, with the Debian changelog)
#   SHA256SUMS
# and, when signing keys are given (see tools/sign-release.sh and
# tools/sign-windows-file.sh; without them the files above are all):
#   NYAMO_SIGN_KEY=<OpenPGP fingerprint>  SHA256SUMS.asc, and apt/: the
#       package added to the apt repository kept in OUTDIR, signed
#   NYAMO_CODESIGN_PFX=<PKCS#12 file>    the Windows programs, the uninstaller
#       and the installer signed with Authenticode (NYAMO_CODESIGN_PASS: its
#       password; NYAMO_CODESIGN_TIMESTAMP: a time-stamp server)
# Everything is built from the commit, not from the working folder, with the
# commit's time as SOURCE_DATE_EPOCH, so that the same commit gives the same
# bytes in any folder at any time.
#
#   tools/release.sh [OUTDIR]          the release, and lintian over the package
#   tools/release.sh --check [OUTDIR]  the same, then the checks CI runs: the
#       source archive and the package built again in another folder and
#       compared byte for byte (every file that differs is named), the
#       Windows side's own checks (release-windows.sh --check), and the
#       package installed on a bare Debian 12 and a bare Debian 13
#       (tools/check-deb-install.sh; a counted SKIP where no chroot can be made),
#       with the signing checks of tests/release/signing_checks.sh (throwaway
#       keys made for the run; the package also installed from the signed
#       repository there).
# Prints one line per check (PASS, FAIL, SKIP with the reason) and a count.
# Exits 0 when the files are written and no check failed, 1 otherwise, 2 on a
# wrong command line, 3 when no release can be made here (a host that is not
# Debian 12 and cannot make a Debian 12 chroot; see below). Needs debhelper
# and lintian (tools/setup-debian.sh --test).
set -uo pipefail
export LC_ALL=C.UTF-8 TZ=UTC
repo=$(cd "$(dirname "$0")/.." && pwd)
# (The certificate's path, given from the caller's folder, outlives the cd.)
if [ -n "${NYAMO_CODESIGN_PFX:-}" ]; then
  NYAMO_CODESIGN_PFX=$(realpath -e -- "$NYAMO_CODESIGN_PFX") || { echo "release: NYAMO_CODESIGN_PFX names no file"; exit 1; }
  export NYAMO_CODESIGN_PFX
fi
cd "$repo"

check_mode=0
if [ "${1:-}" = "--check" ]; then check_mode=1; shift; fi
[ $# -le 1 ] && [[ "${1:-}" != -* ]] || { echo "usage: tools/release.sh [--check] [OUTDIR]" >&2; exit 2; }
out=${1:-dist}
mkdir -p "$out" && out=$(cd "$out" && pwd) || { echo "release: cannot make $out" >&2; exit 1; }

command -v git >/dev/null && git rev-parse --verify -q HEAD >/dev/null ||
  { echo "release: needs a git clone with a commit" >&2; exit 1; }
commit=$(git rev-parse HEAD)
version=$(sed -n 's/^project(Nyamo VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt's project()" >&2; exit 1; }
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: note: the working folder has changes that are not committed; the release is made from $commit"
fi

# The package is built on Debian 12. Built on Debian 13 it would depend on
# libfltk1.3t64 and libxt6t64, which Debian 12 does not have, while the one
# built on Debian 12 installs on both (Debian 13's packages provide the old
# names). So another host builds it in the kept Debian 12 chroot
# (tools/debian-chroot.sh: Debian 12's own compiler and libraries), and
# where no chroot can be made, no release is made
# (exit 3) rather than a package that Debian 12 cannot install.
# NYAMO_DEB_IN_CHROOT=1 builds it in the chroot on Debian 12 as well.
deb_host=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
[ "${NYAMO_DEB_IN_CHROOT:-0}" = 1 ] && deb_host="$deb_host, asked to build in the chroot"
if [ "$deb_host" != bookworm ]; then
  if ! why=$(source tools/debian-chroot.sh && chroot_can); then
    echo "release: refused: this is not Debian 12 (it is '${deb_host:-unknown}'), and the package is built in a"
    echo "release: Debian 12 chroot so that Debian 12 can install it, but none can be made here ($why)."
    echo "release: run tools/release.sh as root on a host that is not itself a chroot, or on Debian 12."
    exit 3
  fi
  echo "release: note: this is ${deb_host:-not Debian 12}: the package is built in the kept Debian 12 chroot"
fi

passed=0; failed=0; skipped=0
pass() { echo "PASS $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1"; failed=$((failed + 1)); }
skip() { echo "SKIP $1: $2"; skipped=$((skipped + 1)); }

work=$(mktemp -d /tmp/nyamo-release.XXXXXX)
trap 'rm -rf "$work"' EXIT

deb_name=nyamo_${version}_amd64.deb
tar_name=nyamo-$version.tar.gz

# debian_changelog: the Debian changelog of this release, written from the
# version and the commit (its date is the commit's, which dpkg-buildpackage
# takes as SOURCE_DATE_EPOCH), so that the number stays written in one place.
debian_changelog() {
  echo "nyamo ($version-1) unstable; urgency=medium"
  echo
  echo "  * Nyamo $version, built from commit $commit."
  echo
  echo " -- $(git show "$commit:debian/control" | sed -n 's/^Maintainer: *//p')  $(date -u -R -d "@$SOURCE_DATE_EPOCH")"
}

# source_archive DEST: the commit's files and the Debian changelog, each with
# the commit's time, in git's order, compressed without a name or time of
# its own. The archive alone builds the package:
#   tar xzf nyamo-<version>.tar.gz && cd nyamo-<version> && dpkg-buildpackage -us -uc -b
source_archive() {
  # (The path is whole, and stands before --prefix: git before 2.40 does not
  # put the prefix before a virtual file's path, later versions put the
  # prefix given before it.)
  git archive --format=tar --add-virtual-file="nyamo-$version/debian/changelog:$(debian_changelog)"$'\n' \
    --prefix="nyamo-$version/" "$commit" | gzip -9n >"$1"
}

# build_deb ARCHIVE FOLDER DEST: the package, built from the source archive
# unpacked in FOLDER with nothing but what the archive holds, as a user
# would build it (SOURCE_DATE_EPOCH comes from its changelog).
build_deb() {
  local archive=$1 folder=$2 dest=$3 src
  mkdir -p "$folder" && tar -xzf "$archive" -C "$folder" || return 1
  src=$folder/nyamo-$version
  local jobs=${NYAMO_JOBS:-2}
  if [ "$deb_host" = bookworm ]; then
    (cd "$src" && env -u SOURCE_DATE_EPOCH -u DEB_BUILD_OPTIONS \
       dpkg-buildpackage -us -uc -b -j"$jobs" >"$folder/build.log" 2>&1)
  else
    NYAMO_CHROOT_BIND=$folder bash "$repo/tools/debian-chroot.sh" run bookworm \
      "apt-get update -q && apt-get install -y -q --no-install-recommends build-essential &&
       apt-get build-dep -y -q '$src' && cd '$src' &&
       env -u SOURCE_DATE_EPOCH -u DEB_BUILD_OPTIONS dpkg-buildpackage -us -uc -b -j$jobs" >"$folder/build.log" 2>&1
  fi ||
    { tail -n 30 "$folder/build.log"; echo "release: the package did not build; the log is $folder/build.log"; return 1; }
  cp "$folder/nyamo_${version}-1_amd64.deb" "$dest"
}

# lintian_source ARCHIVE FOLDER: the Debian source package made from the
# archive (its files but debian/ as the upstream tarball), checked by
# lintian like the package.
lintian_source() {
  local archive=$1 folder=$2
  mkdir -p "$folder" && tar -xzf "$archive" -C "$folder" &&
    tar -czf "$folder/nyamo_$version.orig.tar.gz" -C "$folder" --exclude="nyamo-$version/debian" "nyamo-$version" &&
    (cd "$folder" && dpkg-source -b "nyamo-$version" >"$folder/source.log" 2>&1) ||
    { cat "$folder/source.log" 2>/dev/null; return 1; }
  lintian --fail-on error,warning "$folder/nyamo_$version-1.dsc" >/dev/null 2>&1
  local status=$?
  lintian --fail-on none --display-info --show-overrides "$folder/nyamo_$version-1.dsc" 2>&1 |
    grep -v '^running with root privileges' | sed 's/^/  lintian (source): /'
  return $status
}

echo "release: Nyamo $version from $commit (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH) into $out"
rm -f "$out/$deb_name" "$out/$tar_name" "$out/SHA256SUMS" "$out/SHA256SUMS.asc" "$out/Nyamo-$version-setup.exe" "$out/Nyamo-$version-windows.zip"
if [ -n "${NYAMO_SIGN_KEY:-}" ]; then  # a key that cannot sign is found before the build, not after
  gpg --batch --list-secret-keys -- "$NYAMO_SIGN_KEY" >/dev/null 2>&1 ||
    { echo "release: NYAMO_SIGN_KEY: no secret key $NYAMO_SIGN_KEY in the GnuPG home"; exit 1; }
fi

source_archive "$out/$tar_name" || { echo "release: git archive failed"; exit 1; }
build_deb "$out/$tar_name" "$work/one" "$out/$deb_name" || exit 1

# The Windows files come from the other half of the release tooling when
# the commit has it.
windows_files=()
if git cat-file -e "$commit:tools/release-windows.sh" 2>/dev/null; then
  if bash "$work/one/nyamo-$version/tools/release-windows.sh" "$out"; then
    windows_files=("Nyamo-$version-setup.exe" "Nyamo-$version-windows.zip")
  else
    echo "release: tools/release-windows.sh failed"; exit 1
  fi
else
  echo "release: note: this commit has no tools/release-windows.sh; the release has no Windows files"
fi

(cd "$out" && sha256sum "$deb_name" "${windows_files[@]}" "$tar_name" >SHA256SUMS) || exit 1
signed_files=()
if [ -n "${NYAMO_SIGN_KEY:-}" ]; then
  bash "$repo/tools/sign-release.sh" "$out" || { echo "release: signing failed"; exit 1; }
  signed_files=(SHA256SUMS.asc apt/dists/stable/InRelease)
fi
echo "release: wrote"
(cd "$out" && stat -c '  %n  %s bytes' "$deb_name" "${windows_files[@]}" "$tar_name" SHA256SUMS "${signed_files[@]}")

# Lintian over the package: no error, and every warning left has an
# override with its reason in debian/nyamo.lintian-overrides.
# (An overridden warning still fails --fail-on when --show-overrides is
# given, so the tags, the overridden ones among them, are shown by a second run.)
lintian --fail-on error,warning "$out/$deb_name" >/dev/null 2>&1
lintian_status=$?
lintian --fail-on none --display-info --show-overrides "$out/$deb_name" 2>&1 |
  grep -v '^running with root privileges' | sed 's/^/  lintian: /'
if [ $lintian_status -eq 0 ]; then pass "lintian: no error and no warning without an override"; else fail "lintian"; fi
if lintian_source "$out/$tar_name" "$work/source"; then
  pass "lintian over the source package made from $tar_name: no error and no warning"
else
  fail "lintian over the source package"
fi

if [ $check_mode -eq 1 ]; then
  # The same commit again, in a folder of another name, later.
  sleep 1
  mkdir -p "$work/again-in-another-folder/out"
  again=$work/again-in-another-folder/out
  same=1
  source_archive "$again/$tar_name" && build_deb "$again/$tar_name" "$work/again-in-another-folder/b" "$again/$deb_name" || same=0
  for f in "$tar_name" "$deb_name"; do
    if ! cmp -s "$out/$f" "$again/$f"; then
      same=0
      echo "  differs: $f"
      if [ "$f" = "$deb_name" ] && [ -f "$again/$f" ]; then
        diff <(dpkg-deb -c "$out/$f") <(dpkg-deb -c "$again/$f") | sed 's/^/    /' | head -n 20
      fi
    fi
  done
  if [ $same -eq 1 ]; then pass "reproducible: $deb_name and $tar_name are byte-identical when built again elsewhere, the package from the archive alone"
  else fail "reproducible: the package or the source archive"; fi

  if [ ${#windows_files[@]} -gt 0 ]; then
    if bash "$work/one/nyamo-$version/tools/release-windows.sh" --check; then
      pass "reproducible: the Windows files (release-windows.sh --check)"
    else
      fail "reproducible: the Windows files (release-windows.sh --check)"
    fi
  else
    skip "reproducible: the Windows files" "this commit has no tools/release-windows.sh"
  fi

  source "$repo/tests/release/signing_checks.sh"
  for r in "bookworm Debian 12" "trixie Debian 13"; do
    bash "$repo/tools/check-deb-install.sh" --release "${r%% *}" ${apt_states:+--repo "$apt_states"} "$out/$deb_name"
    case $? in
      0) pass "installed on a bare ${r#* }: runs under xscreensaver, purges cleanly; from the signed repository: installs, upgrades, refuses a changed index and another key" ;;
      3) skip "installed on a bare ${r#* }" "no chroot can be made here (see the line above)" ;;
      *) fail "installed on a bare ${r#* }" ;;
    esac
  done
fi

echo "release: $passed passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
