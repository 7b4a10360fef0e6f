#!/usr/bin/env bash
# One batch of images copied by discshelf-cli onto one simulated discwand, and the same batch
# onto two at once (copy --all-sticks), interleaved round by round; prints each time, the
# medians and their ratio. Usage: bench/twosticks.sh [--build DIR] [--rounds N] [--images N]
#                                                    [--mib SIZE] [--no-verify]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$repo/build
rounds=5
images=4
mib=8
verify=()

usage() {
  sed -n '4,5p' "$0" | sed 's/^# //' >&2
  exit 2
}
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(realpath -m "${2:?}"); shift ;;
    --rounds) rounds=${2:?}; shift ;;
    --images) images=${2:?}; shift ;;
    --mib) mib=${2:?}; shift ;;
    --no-verify) verify=(--no-verify) ;;
    *) usage ;;
  esac
  shift
done

sim=$repo/tools/discwand-sim
cli=$build/discshelf-cli
[ -x "$cli" ] || { echo "twosticks: no $cli; build discshelf-cli first" >&2; exit 1; }
"$sim" check >/dev/null || { echo "twosticks: no simulated stick here: $("$sim" check)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/twosticks.XXXXXX")
cleanup() {
  "$sim" destroy "$work/b" >/dev/null 2>&1 || true
  "$sim" destroy "$work/a" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Room for the batch and its hidden parts while it is copied.
size=$((images * mib * 2 + 48))
"$sim" create "$work/a" --size "$size" --empty --label FIRST >/dev/null
"$sim" create "$work/b" --size "$size" --empty --label SECOND --disk sdy --beside "$work/a" >/dev/null
"$sim" plug "$work/a"
"$sim" plug "$work/b"
export DISCSHELF_SYSROOT=$work/a/sysroot

files=()
for ((i = 0; i < images; i++)); do
  head -c "$((mib * 1024 * 1024))" /dev/urandom >"$work/image$i.iso"
  files+=("$work/image$i.iso")
done

# Seconds a copy of the batch takes; the folder it fills is emptied beforehand, untimed.
timed() {
  rm -rf "$work/a/mnt/bench" "$work/b/mnt/bench"
  sync
  local start end
  start=$(date +%s.%N)
  "$cli" copy "${verify[@]}" --parents --to bench "$@" "${files[@]}" >/dev/null 2>"$work/err" \
    || { cat "$work/err" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "batch: $images images of $mib MiB${verify:+, no read-back}; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
one=() two=()
for ((r = 1; r <= rounds; r++)); do
  one+=("$(timed --stick FIRST)")
  two+=("$(timed --all-sticks)")
  printf 'round %d: one stick %.2f s, two sticks %.2f s\n' "$r" "${one[-1]}" "${two[-1]}"
done
m1=$(printf '%s\n' "${one[@]}" | median)
m2=$(printf '%s\n' "${two[@]}" | median)
printf 'median: one stick %.2f s, two sticks %.2f s, ratio %.2f (2.00 would be one after the other)\n' \
  "$m1" "$m2" "$(awk -v a="$m1" -v b="$m2" 'BEGIN { print b / a }')"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
