#!/usr/bin/env bash
# CI's second system: a bare Debian 13 "trixie" (debootstrap's minbase, from
# Debian's mirror), into which this commit is cloned and where, as root, the
# README's two commands run as a new user would run them (scripts/test.sh, then
# scripts/demo.sh --smoke), then a short scripts/hardening.sh. Prints the time
# of each; fails when any failed. Needs root (debootstrap, mount, chroot).
#
# The system lives in a folder of its own under /var/tmp and is always taken
# down, after a failure too: every process whose root is inside it is ended
# (a Wine server or Xvfb left there keeps /dev busy), everything mounted under
# it unmounted, and nothing deleted while anything is still mounted there: a
# chroot deleted with the host's /dev still bound inside deletes the host's
# device nodes.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /var/tmp/quillon-ci-debian13-XXXXXX)
root="$work/root"

# The mount points at or under the work folder, deepest first.
mounts_under_work() {
  findmnt -rn -o TARGET | awk -v w="$work" '$0 == w || index($0, w "/") == 1' | sort -r
}
# The ids of the processes whose root directory is inside the chroot.
chroot_pids() {
  local link target
  for link in /proc/[0-9]*/root; do
    target=$(readlink "$link" 2>/dev/null) || continue
    if [ "$target" = "$root" ] || [[ $target == "$root"/* ]]; then
      link=${link#/proc/}
      echo "${link%/root}"
    fi
  done
}
teardown() {
  local status=$? pids signal mount
  trap - EXIT
  for signal in TERM KILL KILL; do
    pids=$(chroot_pids)
    [ -n "$pids" ] || break
    # shellcheck disable=SC2086 # one id a word
    kill -s "$signal" $pids 2>/dev/null || true
    sleep 2
  done
  for mount in $(mounts_under_work); do
    umount -R "$mount" 2>/dev/null || umount -R -l "$mount" 2>/dev/null || true
  done
  for _ in $(seq 1 30); do
    [ -n "$(mounts_under_work)" ] || break
    sleep 1
  done
  if [ -n "$(mounts_under_work)" ]; then
    echo "debian13: still mounted, $work left in place:" >&2
    mounts_under_work >&2
    exit 1
  fi
  rm -rf --one-file-system "$work"
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM HUP

# Runs a command line in the chroot as root, in a clean environment.
in_chroot() {
  env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    CI="${CI:-}" chroot "$root" /bin/bash -c "$1" </dev/null
}

times=()
status=0
# Usage: timed <name> <command...>: runs it and notes its time; a failure is noted, not fatal.
timed() {
  local name=$1 start=$SECONDS result=ok
  shift
  echo "=== debian13: $name"
  "$@" || { result=FAILED; status=1; }
  times+=("debian13: $name: $((SECONDS - start)) s, $result")
}

if ! command -v debootstrap >/dev/null; then
  apt-get update -qq </dev/null >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap </dev/null >/dev/null
fi
make_base() { debootstrap --variant=minbase trixie "$root" >/dev/null; } # from debootstrap's default mirror, Debian's own
timed "debootstrap --variant=minbase trixie" make_base
[ "$status" -eq 0 ] || { printf '%s\n' "${times[@]}"; exit 1; }
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Slave mounts: an unmount in the chroot never reaches the host's own mounts.
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --make-rslave "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
# Minbase has no git: the commit is cloned in from here.
git clone -q --no-hardlinks "$PWD" "$root/root/quillon"
git -C "$root/root/quillon" checkout -q --detach "$(git rev-parse HEAD)"

timed "scripts/test.sh" in_chroot "cd /root/quillon && scripts/test.sh"
timed "scripts/demo.sh --smoke" in_chroot "cd /root/quillon && scripts/demo.sh --smoke"
timed "FUZZ_SECONDS=10 scripts/hardening.sh" in_chroot "cd /root/quillon && FUZZ_SECONDS=10 scripts/hardening.sh"
printf '%s\n' "${times[@]}"
exit "$status"
