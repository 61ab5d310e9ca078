#!/usr/bin/env bash
# debian-chroot.sh: bare Debian systems in chroots, made once and kept, for the
# checks that need another release than the host's (Debian 12 "bookworm",
# Debian 13 "trixie", or Debian testing "forky" for the newest compositors).
#
#   debian-chroot.sh can                 exit 0 when chroots can be made here;
#                                        otherwise a "SKIP" reason and exit 3
#   debian-chroot.sh run RELEASE COMMAND run the shell COMMAND as root, with an
#                                        empty environment, in the kept prepared
#                                        copy of RELEASE, with this source tree
#                                        at /src (bind mount: builds land here),
#                                        and $NYAMO_CHROOT_BIND, when set, at
#                                        its own path
#
# The bare system (debootstrap minbase) is kept as $cache/RELEASE/base.tar,
# and unpacked for each check that wants a bare system (check-deb-install.sh).
# The prepared copy, $cache/RELEASE/prepared, is unpacked from it once and
# kept: the command typically starts with "bash tools/setup-debian.sh --test",
# which installs only what is missing, so the first run pays for the packages
# and the later ones do not. $cache is $NYAMO_CHROOT_CACHE, by default
# /var/tmp/nyamo-chroot. Needs root, debootstrap and a Debian mirror in the
# host's apt sources. Sourced, it only defines the functions (chroot_*).

chroot_cache=${NYAMO_CHROOT_CACHE:-/var/tmp/nyamo-chroot}

# chroot_host_release: the host's Debian codename (bookworm, trixie, ...).
chroot_host_release() {
  (. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-unknown}")
}

# chroot_can: whether chroots can be made here; the reason on stdout when not.
chroot_can() {
  [ "$(id -u)" -eq 0 ] || { echo "needs root to make a chroot"; return 1; }
  # Inside a chroot already (whose root is a plain folder), no mount is seen
  # at "/": the kernel lists only the mounts below the process's root. (Not
  # /proc/1/root, which a root without CAP_SYS_PTRACE may not read, as here.)
  if [ -r /proc/self/mountinfo ] && ! awk '$5 == "/" { found = 1 } END { exit !found }' /proc/self/mountinfo; then
    echo "this is a chroot already"; return 1
  fi
  command -v debootstrap >/dev/null ||
    { echo "debootstrap is not installed (tools/setup-debian.sh --test installs it)"; return 1; }
  [ -n "$(chroot_mirror)" ] || { echo "no Debian mirror in the apt sources"; return 1; }
  return 0
}

chroot_mirror() {
  local m
  m=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
  [ -n "$m" ] || m=$(awk '$1=="deb"{print $2; exit}' /etc/apt/sources.list 2>/dev/null)
  echo "$m"
}

# chroot_base RELEASE: makes $cache/RELEASE/base.tar when it is missing
# (about 2 minutes) and prints its path.
chroot_base() {
  local release=$1 dir=$chroot_cache/$1
  mkdir -p "$dir" || return 1
  if [ ! -f "$dir/base.tar" ]; then
    echo "debian-chroot: making the bare Debian $release once (debootstrap minbase; kept in $dir)" >&2
    rm -rf "$dir/base"
    # An older debootstrap knows no script for a release newer than itself;
    # testing's is the same as sid's.
    local script=/usr/share/debootstrap/scripts/$release
    [ -e "$script" ] || script=/usr/share/debootstrap/scripts/sid
    if ! debootstrap --variant=minbase "$release" "$dir/base" "$(chroot_mirror)" "$script" >"$dir/debootstrap.log" 2>&1; then
      tail -n 5 "$dir/debootstrap.log" >&2
      echo "debian-chroot: debootstrap failed (log: $dir/debootstrap.log)" >&2
      return 1
    fi
    tar -C "$dir/base" -cf "$dir/base.tar.new" . && mv "$dir/base.tar.new" "$dir/base.tar" && rm -rf "$dir/base" ||
      return 1
  fi
  echo "$dir/base.tar"
}

# chroot_unpack RELEASE ROOT: a bare RELEASE in the empty folder ROOT, with the
# host's apt sources turned to RELEASE and its name server.
chroot_unpack() {
  local release=$1 root=$2 base host
  base=$(chroot_base "$release") || return 1
  tar -C "$root" -xf "$base" || { echo "debian-chroot: cannot unpack $base" >&2; return 1; }
  host=$(chroot_host_release)
  rm -f "$root/etc/apt/sources.list"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed "s/\b$host\b/$release/g" /etc/apt/sources.list.d/debian.sources >"$root/etc/apt/sources.list.d/debian.sources"
  else
    grep -E '^deb .*debian' /etc/apt/sources.list | sed "s/\b$host\b/$release/g" >"$root/etc/apt/sources.list"
  fi
  cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null
  return 0
}

# chroot_mount ROOT: the kernel's file systems in ROOT, remembered for
# chroot_release (so not to be called in a subshell). Returns 1 with the
# reason in $chroot_reason when mounting is not allowed.
chroot_mounted=()
chroot_reason=
chroot_mount() {
  local root=$1
  _mnt() { mount "$@" && chroot_mounted=("${@: -1}" "${chroot_mounted[@]}"); }
  _mnt -t proc proc "$root/proc" || { chroot_reason="mounting proc in the chroot is not allowed here"; return 1; }
  _mnt -t sysfs sysfs "$root/sys" && _mnt --bind /dev "$root/dev" && _mnt --bind /dev/pts "$root/dev/pts" &&
    _mnt -t tmpfs tmpfs "$root/dev/shm" && _mnt -t tmpfs tmpfs "$root/tmp" ||
    { chroot_reason="mounts in the chroot are not allowed here"; return 1; }
}

# chroot_bind ROOT HOSTDIR INNERDIR
chroot_bind() {
  mkdir -p "$1$3" && mount --bind "$2" "$1$3" && chroot_mounted=("$1$3" "${chroot_mounted[@]}")
}

# chroot_release ROOT: ends whatever still runs inside ROOT (started by this
# script: found by its root folder, ended by pid) and unmounts.
chroot_release() {
  local root=$1 m p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -9 "${p#/proc/}" 2>/dev/null
  done
  for m in "${chroot_mounted[@]}"; do umount -l "$m" 2>/dev/null; done
  chroot_mounted=()
  sleep 0.5
}

# chroot_inside ROOT COMMAND: a shell command in the chroot, as root, with an
# empty environment.
chroot_inside() {
  env -i HOME=/root TERM=dumb DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    timeout "${NYAMO_CHROOT_TIMEOUT:-2400}" chroot "$1" /bin/bash -c "$2" </dev/null
}

# chroot_run RELEASE COMMAND: COMMAND in the kept prepared copy, the source
# tree at /src.
chroot_run() {
  local release=$1 command=$2 root=$chroot_cache/$1/prepared src status
  src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  # One run at a time in the copy: a second waits for the first.
  mkdir -p "$chroot_cache/$release" || return 1
  local lock
  exec {lock}>"$chroot_cache/$release/prepared.lock"
  flock "$lock" || return 1
  if [ ! -f "$root/.ready" ]; then
    rm -rf "$root" && mkdir -p "$root" && chroot_unpack "$release" "$root" && touch "$root/.ready" || return 1
  fi
  # A run that was killed may have left its mounts: they go first.
  grep -o " $root/[^ ]*" /proc/mounts | sort -r | while read -r m; do umount -l "$m"; done
  if ! chroot_mount "$root" || ! chroot_bind "$root" "$src" /src ||
     { [ -n "${NYAMO_CHROOT_BIND:-}" ] && ! chroot_bind "$root" "$NYAMO_CHROOT_BIND" "$NYAMO_CHROOT_BIND"; }; then
    echo "SKIP: ${chroot_reason:-cannot bind $src in the chroot}"
    chroot_release "$root"
    return 3
  fi
  # Ended early, the run still ends what it started in the copy.
  trap 'chroot_release "$root"; exit 130' INT TERM
  # The lock stays with this script: a process the command leaves behind
  # (a Wine server, say) must not hold the copy for the next run.
  # (In the background, so that the trap runs at once rather than after it.)
  chroot_inside "$root" "$command" {lock}>&- &
  wait $!
  status=$?
  trap - INT TERM
  chroot_release "$root"
  return $status
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  export LC_ALL=C.UTF-8
  case ${1:-} in
    can)
      reason=$(chroot_can) || { echo "SKIP: $reason"; exit 3; } ;;
    run)
      [ $# -eq 3 ] && [[ $2 =~ ^(bookworm|trixie|forky)$ ]] || { echo "usage: debian-chroot.sh run bookworm|trixie|forky COMMAND" >&2; exit 2; }
      reason=$(chroot_can) || { echo "SKIP: $reason"; exit 3; }
      chroot_run "$2" "$3" ;;
    *)
      echo "usage: debian-chroot.sh can | run bookworm|trixie|forky COMMAND" >&2; exit 2 ;;
  esac
fi
