#!/usr/bin/env bash
# Sets up a slow USB stick with the kernel's page cache in play (nbdkit's memory plugin behind
# its rate filter, made a file by nbdfuse, then a loop device with ext4) and runs
# bench_slowstick on it for each profile. Run as root; everything is taken down on exit.
# Usage: bench/slowstick.sh [--build DIR] [--rounds N] [--mib SIZE] [--profiles steady,fastslow]
#                           [--before REV ...] [--worker NAME=DRIVER ...] [--tools LIST]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$repo/build
rounds=3
mib=512
profiles=steady,fastslow
befores=()
workers=()
tools=

usage() {
  sed -n '5,6p' "$0" | sed 's/^# //' >&2
  exit 2
}
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --build) build=$(realpath -m "$2") ;;
    --rounds) rounds=$2 ;;
    --mib) mib=$2 ;;
    --profiles) profiles=$2 ;;
    --before) befores+=("$2") ;;
    --worker) workers+=(--worker "$2") ;;
    --tools) tools=$2 ;;
    *) usage ;;
  esac
  shift 2
done

say() { echo "slowstick: $*" >&2; }
die() { say "$*"; exit 1; }

[ "$(id -u)" -eq 0 ] || die "needs root: it uses /dev/fuse, a loop device and mount."
[ -c /dev/fuse ] || die "/dev/fuse is missing (modprobe fuse)."

# The stick's tools, by the Debian package that brings each. fuse3 is left out on purpose: it
# conflicts with the fuse package that the tests need, and root mounts and unmounts without it.
declare -A needs=([nbdkit]=nbdkit [nbdfuse]=libnbd-bin [losetup]=mount [mkfs.ext4]=e2fsprogs
                  [sha256sum]=coreutils [cmake]=cmake)
missing=()
for tool in "${!needs[@]}"; do
  command -v "$tool" >/dev/null || missing+=("${needs[$tool]}")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing what the simulated stick needs: ${missing[*]} (apt-get)"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
    die "could not install ${missing[*]}; install them by hand and run again."
fi

# The driver of the present tree, built like the project (see README.md) when it is missing.
driver=$build/bench/bench_slowstick
if [ ! -x "$driver" ]; then
  say "building bench_slowstick in $build"
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target bench_slowstick -j2 >/dev/null
fi

# The same driver built against the worker of an earlier commit: that commit's tree with this
# driver in place of its own, built by its own CMake files so the worker's dependencies come
# along whatever they are. Prints the driver's path.
build_before() {
  local rev dir
  rev=$(git -C "$repo" rev-parse --short=12 "$1^{commit}") || die "no commit $1"
  dir=$build/slowstick-before-$rev
  if [ ! -d "$dir/src" ]; then
    mkdir -p "$dir/src"
    git -C "$repo" archive "$rev" | tar -x -C "$dir/src"
  fi
  cmp -s "$repo/bench/bench_slowstick.cpp" "$dir/src/bench/bench_slowstick.cpp" ||
    cp "$repo/bench/bench_slowstick.cpp" "$dir/src/bench/bench_slowstick.cpp"
  say "building the worker of $rev in $dir"
  [ -f "$dir/build/CMakeCache.txt" ] ||
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null
  cmake --build "$dir/build" -j2 --target bench_slowstick >/dev/null
  echo "$dir/build/bench/bench_slowstick"
}
for before in "${befores[@]}"; do
  path=$(build_before "$before")
  workers+=(--worker "$(git -C "$repo" rev-parse --short "$before^{commit}")=$path")
done

work=$(mktemp -d /tmp/slowstick-XXXXXX)
nbdfuse_pid=
bench_pid=
loop=
debugfs_ours=

cleanup() {
  trap - EXIT INT TERM HUP
  set +e
  if [ -n "$bench_pid" ] && kill -0 "$bench_pid" 2>/dev/null; then
    kill "$bench_pid"
    wait "$bench_pid" 2>/dev/null
  fi
  if mountpoint -q "$work/mnt"; then
    for _ in 1 2 3 4 5; do umount "$work/mnt" && break; sleep 1; done
  fi
  [ -z "$loop" ] || losetup -d "$loop"
  if mountpoint -q "$work/nbd"; then
    for _ in 1 2 3 4 5; do umount "$work/nbd" && break; sleep 1; done
  fi
  # nbdkit runs with --exit-with-parent, so it goes with nbdfuse.
  if [ -n "$nbdfuse_pid" ]; then
    kill -0 "$nbdfuse_pid" 2>/dev/null && sleep 1
    kill -0 "$nbdfuse_pid" 2>/dev/null && kill "$nbdfuse_pid"
    wait "$nbdfuse_pid" 2>/dev/null
  fi
  [ -z "$debugfs_ours" ] || umount /sys/kernel/debug
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Room for one copy and the file system around it; the copies are removed after each run.
disk_mib=$((mib * 2 + 256))
mkdir "$work/nbd" "$work/mnt"
# Unlimited while the file system is made; each copy sets its own rate. A short burst keeps
# the rate close to the set one from the start.
echo 100000000000 >"$work/rate"
nbdfuse -P "$work/nbdfuse.pid" "$work/nbd/stick" \
  [ nbdkit --exit-with-parent --filter=rate memory "${disk_mib}M" \
    rate=100G rate-file="$work/rate" burstiness=0.1 ] 2>"$work/nbdfuse.log" &
nbdfuse_pid=$!
for _ in $(seq 50); do
  [ -s "$work/nbdfuse.pid" ] && break
  kill -0 "$nbdfuse_pid" 2>/dev/null || die "nbdfuse stopped: $(cat "$work/nbdfuse.log")"
  sleep 0.1
done
[ -s "$work/nbdfuse.pid" ] || die "nbdfuse did not come up: $(cat "$work/nbdfuse.log")"

# Direct I/O on the backing file: no second page cache under the loop device, as on a stick.
loop=$(losetup --find --show --direct-io=on "$work/nbd/stick")
# Inode tables and journal written now, so no lazy init writes during the measured copies.
mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0,nodiscard "$loop"
mount "$loop" "$work/mnt"
mkdir "$work/mnt/stick"

# The stick's own dirty and writeback pages, free of what the rest of the machine writes.
if [ ! -d /sys/kernel/debug/bdi ] && mount -t debugfs none /sys/kernel/debug 2>/dev/null; then
  debugfs_ours=1
fi
bdi_args=()
bdi=/sys/kernel/debug/bdi/$(lsblk -dno MAJ:MIN "$loop" | tr -d ' ')/stats
[ -r "$bdi" ] && bdi_args=(--bdi "$bdi")

say "stick: $loop on $work/mnt, ${disk_mib} MiB"

args=(--stick "$work/mnt/stick" --rate-file "$work/rate" --work "$work" --rounds "$rounds"
      --mib "$mib" "${bdi_args[@]}")
args+=("${workers[@]}")
[ -z "$tools" ] || args+=(--tools "$tools")
for profile in ${profiles//,/ }; do
  # The machine may be shared: its load tells how far to trust the figures.
  say "load average before $profile: $(cut -d' ' -f1-3 /proc/loadavg)"
  "$driver" "${args[@]}" --profile "$profile" &
  bench_pid=$!
  wait "$bench_pid"
  bench_pid=
  say "load average after $profile: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
done
