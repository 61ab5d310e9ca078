#!/usr/bin/env bash
# check-deb-install.sh [--release bookworm|trixie] DEB: the package on a bare
# Debian 12 (bookworm, the default) or Debian 13 (trixie), as a new user gets
# it. In a fresh minimal system (debootstrap minbase, in a chroot):
#   1. apt-get install ./nyamo_*.deb pulls in everything it needs, and
#      nyamo --version answers without a display;
#   2. an ordinary user adds Nyamo to xscreensaver's list with
#      nyamo --add-to-xscreensaver, and Debian's real daemon, under Xvfb,
#      runs it when told to (xscreensaver-command -select N): the hack's
#      process runs and kittens show on the black screen;
#   3. the settings dialog saves in ~/.config/nyamo, for root too;
#   4. apt-get purge nyamo leaves none of the package's files behind;
#   5. with --repo STATES (made by tests/release/signing_checks.sh), the signed
#      repository added as docs/install.md says, then used and refused by apt.
# Needs root and a network mirror. The debootstrap result is kept by
# tools/debian-chroot.sh (in $NYAMO_CHROOT_CACHE/RELEASE/base.tar, by default
# under /var/tmp/nyamo-chroot) and reused; every run unpacks its own copy and
# removes it afterwards. Making the base takes about 2 minutes; a run about 3
# (most of it package installs).
# Exits 0 when every step passed, 1 when one failed, 3 when no chroot can be
# made here (not root, already inside a chroot, no mounts allowed, no
# debootstrap), with the reason on a "SKIP" line; 2 on a wrong command line.
set -uo pipefail
export LC_ALL=C.UTF-8
release=bookworm states=
if [ "${1:-}" = "--release" ]; then release=${2:-}; shift 2; fi
if [ "${1:-}" = "--repo" ]; then states=${2:-}; shift 2; fi
[[ $release =~ ^(bookworm|trixie)$ ]] && [ $# -eq 1 ] && [ -f "$1" ] && { [ -z "$states" ] || [ -d "$states/first" ]; } ||
  { echo "usage: check-deb-install.sh [--release bookworm|trixie] [--repo STATES] NYAMO.deb" >&2; exit 2; }
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
case $release in bookworm) name="Debian 12" ;; trixie) name="Debian 13" ;; esac
say() { echo "check-deb-install: $*"; }
cannot() { echo "SKIP check-deb-install ($name): $*"; exit 3; }

source "$(dirname "$0")/debian-chroot.sh"
reason=$(chroot_can) || cannot "$reason"
cache=$chroot_cache/$release
chroot_base "$release" >/dev/null || exit 1

root=$(mktemp -d "$cache/root.XXXXXX")
cleanup() {
  chroot_release "$root"
  grep -q " $root" /proc/mounts || rm -rf "$root"
}
trap cleanup EXIT
chroot_unpack "$release" "$root" || { say "cannot unpack the base"; exit 1; }
chroot_mount "$root" || cannot "$chroot_reason"
mkdir -p "$root/root/pkg" && cp "$deb" "$root/root/pkg/"
package_file=/root/pkg/$(basename "$deb")

inside() {  # inside COMMAND: a shell command in the chroot, as root, with an empty environment
  NYAMO_CHROOT_TIMEOUT=1200 chroot_inside "$root" "$1"
}
# Every file of the system but the run-time folders, for before and after.
list_files() {
  inside 'find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /tmp -o -path /run \
            -o -path /var/cache -o -path /var/lib/apt/lists -o -path /var/log -o -path /root/pkg \) -prune \
            -o -print | sort'
}

status=0
step() {  # step NAME RESULT [WHAT TO SHOW WHEN IT FAILED]
  if [ "$2" -eq 0 ]; then echo "  ok: $1"; else echo "  FAILED: $1"; status=1; [ -z "${3:-}" ] || sed 's/^/    /' <<<"$3"; fi
}

say "installing $(basename "$deb") on a bare $name"
inside 'apt-get update -q' >"$root/tmp/apt.log" 2>&1 || { tail -n 5 "$root/tmp/apt.log"; say "apt-get update failed"; exit 1; }
list_files >"$cache/files-before.$$"
inside "apt-get install -y -q $package_file" >>"$root/tmp/apt.log" 2>&1
step "apt-get install ./$(basename "$deb") (with everything it needs)" $?
version=$(inside 'nyamo --version' 2>&1)
echo "  nyamo --version (no display): $version"
expected=$(dpkg-deb -f "$deb" Version)
[ "$version" = "nyamo ${expected%-*}" ]
step "nyamo --version answers with the package's version" $?
inside 'nyamo --help' | grep -q -- '--add-to-xscreensaver'
step "nyamo --help works without a display" $?
inside 'test -f /usr/share/man/man6/nyamo.6.gz && test -f /usr/share/xscreensaver/config/nyamo.xml &&
        test -f /usr/share/applications/screensavers/nyamo.desktop' >/dev/null
step "its manual page, xscreensaver config and MATE entry are in place" $?

# The daemon and a display, which the package only suggests.
inside 'apt-get install -y -q --no-install-recommends xscreensaver xvfb x11-apps xdotool' >>"$root/tmp/apt.log" 2>&1
step "apt-get install xscreensaver xvfb x11-apps xdotool" $?
# The daemon runs no hack for root: an ordinary account, with a display of
# its own (Xvfb picks a free one) and nothing but Nyamo's run of the list.
inside 'useradd -m kitty' && cat >"$root/home/kitty/daemon-check.sh" <<'EOF'
#!/bin/bash
# As kitty: add Nyamo, start the daemon, have it run entry N, look.
cd ~
exec 3>display.txt
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >xvfb.log 2>&1 &
for i in $(seq 100); do [ -s display.txt ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 display.txt)
nyamo --add-to-xscreensaver >add.log 2>&1 || { cat add.log; exit 1; }
cat add.log
n=$(sed -n 's/.* as entry \([0-9]*\) .*/\1/p' add.log | head -1)
[ -n "$n" ] || { echo "no entry number"; exit 1; }
nyamo --add-to-xscreensaver | grep -q 'already entry' || { echo "the second add changed something"; exit 1; }
xscreensaver -no-splash -verbose >daemon.log 2>&1 &
for i in $(seq 100); do xscreensaver-command -time >/dev/null 2>&1 && break; sleep 0.1; done
xscreensaver-command -select "$n" || { tail -5 daemon.log; exit 1; }
for i in $(seq 100); do pgrep -u kitty -f '^nyamo --root|/nyamo --root' >/dev/null && break; sleep 0.1; done
pgrep -u kitty -af 'nyamo --root' || { echo "the hack does not run"; tail -5 daemon.log; exit 1; }
# Kittens over black: the screen's last 1024x768x4 bytes hold many values.
for i in $(seq 30); do
  sleep 0.5
  values=$(xwd -root -silent | tail -c $((1024 * 768 * 4)) | od -An -v -tu1 | tr -s ' ' '\n' | sort -u | wc -l)
  [ "$values" -gt 16 ] && break
done
echo "byte values on the screen: $values"
grep -E '^nyamo: |usage: nyamo' daemon.log && exit 1
[ "$values" -gt 16 ]
EOF
inside 'chown -R kitty: /home/kitty && chmod +x /home/kitty/daemon-check.sh'
inside 'su kitty -c "timeout 120 /home/kitty/daemon-check.sh"' 2>&1 | sed 's/^/    /'
step "the real xscreensaver daemon runs Nyamo from the user's list and kittens show" "${PIPESTATUS[0]}"
# The settings dialog's OK saves in the account's ~/.config/nyamo, also for
# root, who could write beside the program: /usr is the package's.
cat >"$root/usr/local/bin/settings-check.sh" <<'EOF'
#!/bin/bash
cd ~ || exit 1
export LC_ALL=C.UTF-8
exec 3>display-s.txt
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >xvfb-s.log 2>&1 &
for i in $(seq 100); do [ -s display-s.txt ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 display-s.txt)
nyamo /c >dialog.log 2>&1 &
wid=$(xdotool search --sync --name '^Nyamo' | head -1)
sleep 1
xdotool mousemove --window "$wid" 255 32 click 1    # OK
for i in $(seq 50); do [ -f ~/.config/nyamo/Nyamo_07.ini ] && break; sleep 0.1; done
echo "$(id -un): $(ls ~/.config/nyamo/Nyamo_07.ini 2>&1)"
[ -f ~/.config/nyamo/Nyamo_07.ini ] && [ ! -e /usr/libexec/xscreensaver/Nyamo_07.ini ]
EOF
chmod +x "$root/usr/local/bin/settings-check.sh"
inside 'timeout 60 settings-check.sh && su kitty -c "timeout 60 settings-check.sh"' 2>&1 | sed 's/^/    /'
step "the settings dialog saves in ~/.config/nyamo (for root too), nothing beside the installed program" \
  "${PIPESTATUS[0]}"
rm -f "$root/usr/local/bin/settings-check.sh"

# Everything of the user's session ends before the purge.
for p in /proc/[0-9]*; do
  [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill "${p#/proc/}" 2>/dev/null
done
sleep 1

owned=$(inside 'dpkg -L nyamo')
inside 'apt-get purge -y -q nyamo' >>"$root/tmp/apt.log" 2>&1
step "apt-get purge nyamo" $?
# Left behind: any file of the package's list that is no folder shared with
# another package, and any new file outside the homes (the accounts'
# settings are theirs) that names it.
left=$(while read -r f; do
         [ -e "$root$f" ] || [ -L "$root$f" ] || continue
         [ -d "$root$f" ] && [ ! -L "$root$f" ] && continue
         echo "$f"
       done <<<"$owned")
list_files >"$cache/files-after.$$"
new=$(comm -13 "$cache/files-before.$$" "$cache/files-after.$$" | grep -i nyamo | grep -v -e '^/home/kitty' -e '^/root/')
rm -f "$cache/files-before.$$" "$cache/files-after.$$"
[ -n "$left$new" ] && printf '    left: %s\n' $left $new
[ -z "$left$new" ]
step "no file of the package is left after the purge" $?

# The repository as a file: source; each state replaces the last, as on a mirror.
if [ -n "$states" ]; then
  repo_start=$SECONDS
  use_state() { rm -rf "$root/srv/nyamo-apt" && cp -a "$states/$1" "$root/srv/nyamo-apt"; }
  mkdir -p "$root/etc/apt/keyrings" && cp "$states/first/nyamo-archive-keyring.asc" "$root/etc/apt/keyrings/nyamo.asc"
  sed -n '/^Types: deb$/,/^```/p' "$(dirname "$0")/../docs/install.md" | grep -v '^```' | sed 's|^URIs: .*|URIs: file:/srv/nyamo-apt|' \
    >"$root/etc/apt/sources.list.d/nyamo.sources"
  use_state first
  version=$(inside 'apt-get update -q && apt-get install -y -q nyamo && nyamo --version' 2>>"$root/tmp/apt.log" | tail -n 1)
  [ "$version" = "nyamo ${expected%-*}" ]
  step "the signed repository as docs/install.md adds it: apt-get update, apt-get install nyamo; $version" $?
  # (The changed index comes before the true one, which apt would not fetch again.)
  use_state changed
  refused=$(inside 'apt-get update -q' 2>&1)
  [ $? -ne 0 ] && grep -q 'Hash Sum mismatch' <<<"$refused"
  step "a Packages file changed after signing: apt-get update fails with a hash error" $? "$refused"
  use_state second
  newest=$(dpkg-deb -f "$(ls "$states/second/pool/main/n/nyamo/"*.deb | sort -V | tail -n 1)" Version)
  inside 'apt-get update -q && apt-get upgrade -y -q' >>"$root/tmp/apt.log" 2>&1
  [ "$(inside 'dpkg-query -W -f "\${Version}" nyamo')" = "$newest" ]
  step "a second release: apt-get upgrade moves to it ($newest)" $?
  use_state otherkey
  refused=$(inside 'apt-get update -q' 2>&1)
  [ $? -ne 0 ] && grep -q 'is not signed' <<<"$refused"
  step "the repository signed by another key: apt-get update fails ($(grep -o -m1 'NO_PUBKEY [0-9A-F]*\|Missing key [0-9A-F]*' <<<"$refused"))" $? "$refused"
  say "the signed repository's steps: $((SECONDS - repo_start)) s"
fi

if [ $status -ne 0 ]; then
  say "the apt log's last lines:"
  tail -n 15 "$root/tmp/apt.log" | sed 's/^/    /'
fi
exit $status
