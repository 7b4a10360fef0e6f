#!/usr/bin/env bash
# Kills discshelf-cli with SIGKILL at random points of its work on a simulated discwand (copies
# of new images, overwrites of an image already there, boot choices, renames and moves of a
# split image the stick may boot), starts it again and checks
# after every kill: the FAT volume is clean (fsck.fat -n), every image the user had is there
# byte for byte (an overwritten one either old or new, whole; the moved one whole under its old
# name or its new one, the boot choice with it), every leftover is reported by "check" with its
# repair and gone after "check --repair", the boot choice names an image, and the stick's record
# of images (config/.image-record.txt) names only images that are whole, with the size and
# SHA-256 they have.
# The seed fixes the kill points, so a failing run can be repeated.
#
# Usage: tools/crash-recovery.sh [--runs N] [--seed S] [--cli PATH] [--keep]
#   --runs N    number of killed runs (default 24)
#   --seed S    seed of the random kill points (default 1)
#   --cli PATH  the discshelf-cli to test (default build/discshelf-cli)
#   --keep      leave the work folder (stick image, logs) for a look afterwards
# Exit status: 0 all runs passed, 1 a check failed, 77 no simulated stick here.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
sim="$top/tools/discwand-sim"
runs=24 seed=1 cli="$top/build/discshelf-cli" keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=${2:?}; shift 2 ;;
    --seed) seed=${2:?}; shift 2 ;;
    --cli) cli=${2:?}; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "crash-recovery: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -x "$cli" ] || { echo "crash-recovery: no program at $cli (build first)" >&2; exit 2; }
if ! why=$("$sim" check 2>&1); then
  echo "crash-recovery: skipped: $why" >&2
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/crash-recovery.XXXXXX")
stick="$work/stick" mnt="$work/stick/mnt"
cleanup() {
  "$sim" destroy "$stick" >/dev/null 2>&1 || true
  if [ "$keep" = 1 ]; then echo "Work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
export DISCSHELF_SYSROOT="$stick/sysroot"
fsck=$(command -v fsck.fat || echo /usr/sbin/fsck.fat)
RANDOM=$seed

fail() { echo "FAIL (run $run, $what): $*" >&2; exit 1; }

# An image with the volume descriptors of a bootable ISO 9660 image over random bytes.
make_image() {
  head -c "$2" /dev/urandom >"$1"
  printf '\001CD001\001' | dd of="$1" bs=1 seek=32768 conv=notrunc status=none
  printf '\000CD001\001EL TORITO ' | dd of="$1" bs=1 seek=34816 conv=notrunc status=none
  printf '\377CD001\001' | dd of="$1" bs=1 seek=36864 conv=notrunc status=none
}

# Every image on the stick with its checksum, as "sum  path", sorted.
image_sums() {
  (cd "$mnt" && find . -type f \( -iname '*.iso' -o -iname '*.iso.[0-9]*' \) ! -name '.*' \
     -exec sha256sum {} + | sort -k2)
}

sumof() { sha256sum "$1" | cut -d' ' -f1; }

"$sim" create "$stick" --size 96 >/dev/null
"$sim" plug "$stick"
mkdir -p "$work/src/new" "$work/src/v1" "$work/src/v2"
make_image "$work/src/new/fresh.iso" $((6 * 1048576))
make_image "$work/src/v1/over.iso" $((5 * 1048576))
make_image "$work/src/v2/over.iso" $((7 * 1048576))
"$cli" copy --to linux "$work/src/v1/over.iso" >"$work/run.log" 2>&1 || { cat "$work/run.log"; exit 1; }
"$cli" load /linux/over.iso >"$work/run.log" 2>&1 || { cat "$work/run.log"; exit 1; }
# A split image that is renamed and moved about: roam.iso or wander.iso, at the top or in linux.
make_image "$work/src/roam.iso" $((4 * 1048576))
head -c $((3 * 1048576)) "$work/src/roam.iso" >"$mnt/roam.iso.0"
tail -c $((1 * 1048576)) "$work/src/roam.iso" >"$mnt/roam.iso.1"
roam_sum=$(sumof "$work/src/roam.iso")
roam_where() {
  local p
  for p in roam wander linux/roam linux/wander; do
    [ -f "$mnt/$p.iso.0" ] && echo "/$p.iso"
  done
  return 0
}
over_sums="$(sumof "$work/src/v1/over.iso") $(sumof "$work/src/v2/over.iso")"
fresh_sum=$(sumof "$work/src/new/fresh.iso")
# What the user has and must keep whole: every image but the two the runs write.
not_kept=(-e ' ./linux/over.iso$' -e ' ./fresh.iso$' -e '/roam\.iso\.[01]$' -e '/wander\.iso\.[01]$')
kept=$(image_sums | grep -v "${not_kept[@]}")
choices="/linux/over.iso /linux/debian-12-netinst.iso"

# Waits until a hidden file of a copy reaches the given size (or a journal appears when the
# size is 0), at most 20 s; returns early when the process has ended.
wait_for_part() {
  local pid=$1 dir=$2 size=$3 i
  for ((i = 0; i < 10000; i++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    if [ "$size" = 0 ]; then
      compgen -G "$dir/.discshelf-*.commit" >/dev/null && return 0
    else
      for f in "$dir"/.discshelf-*.0; do
        [ -f "$f" ] && [ "$(stat -c %s "$f")" -ge "$size" ] && return 0
      done
    fi
    sleep 0.002
  done
}

inject=0
strace -f -o /dev/null -e trace=rename -e inject=rename:signal=KILL:when=1 true 2>/dev/null &&
  inject=1
[ $inject = 1 ] || echo "crash-recovery: strace cannot stop the program here; the renames are aimed at by time"
killed=0 finished=0 leftovers=0 journals=0 recorded=0
version=1
for ((run = 1; run <= runs; run++)); do
  case $((RANDOM % 5)) in
    0) what="copy of a new image"; dir=$mnt; size=$((6 * 1048576))
       args=(copy "$work/src/new/fresh.iso") ;;
    1) what="overwrite"; dir=$mnt/linux; version=$((3 - version))
       size=$(stat -c %s "$work/src/v$version/over.iso")
       args=(copy --overwrite --to linux "$work/src/v$version/over.iso") ;;
    2) what="boot choice"; dir=""; size=0
       args=(load "$(echo "$choices $(roam_where)" | cut -d' ' -f$((RANDOM % 3 + 1)))") ;;
    3) roam=$(roam_where) dir="" size=0
       case $roam in */roam.iso) name=wander.iso ;; *) name=roam.iso ;; esac
       what="rename of the split image $roam to $name"; args=(rename "$roam" "$name") ;;
    4) roam=$(roam_where) dir="" size=0
       case $roam in /linux/*) into=/ ;; *) into=/linux ;; esac
       what="move of the split image $roam into $into"; args=(move "$roam" "$into") ;;
  esac
  # Where to kill: after a random time, part way through writing the part, once it is written
  # (while it is read back), or on entry to one of the syncs, renames and removals that put the
  # copy or the choice in place (strace kills it there, before the call, counting each kind of
  # call of a thread on its own; without strace, once the journal appears).
  point=$((RANDOM % 4))
  [ -n "$dir" ] || [ $point = 3 ] || point=0
  case $point in
    0) at="after $((RANDOM % 400)) ms" ;;
    1) at="at $((RANDOM % 100)) % written" ;;
    2) at="once written" ;;
    3) case $((RANDOM % 3)) in
         # A move's renames come one a file: any of them may be the one.
         0) calls=rename,renameat,renameat2 n=1
            case $what in rename* | move*) n=$((RANDOM % 3 + 1)) ;; esac ;;
         1) calls=unlink,unlinkat n=1 ;;
         2) calls=fsync,fdatasync,syncfs n=$((RANDOM % 5 + 1)) ;;
       esac
       at="on entry to ${calls%%,*} call $n" ;;
  esac
  if [ $point = 3 ] && [ $inject = 1 ]; then
    rc=0
    strace -f -o /dev/null -e trace=$calls -e inject=$calls:signal=KILL:when=$n \
      "$cli" "${args[@]}" >"$work/run.log" 2>&1 || rc=$?
    if [ $rc = 137 ]; then
      killed=$((killed + 1)) what="$what, killed $at"
    else
      finished=$((finished + 1)) what="$what, finished before the kill $at"
    fi
  else
    "$cli" "${args[@]}" >"$work/run.log" 2>&1 &
    pid=$!
    case $point in
      0) sleep "0.$(printf '%03d' "${at//[^0-9]/}")" ;;
      1) wait_for_part "$pid" "$dir" $((size * ${at//[^0-9]/} / 100 + 1)) ;;
      2) wait_for_part "$pid" "$dir" "$size" ;;
      3) [ -z "$dir" ] || wait_for_part "$pid" "$dir" 0 ;;
    esac
    if kill -KILL "$pid" 2>/dev/null; then
      killed=$((killed + 1)) what="$what, killed $at"
    else
      finished=$((finished + 1)) what="$what, finished before the kill $at"
    fi
    wait "$pid" 2>/dev/null || true
  fi

  # Started again: every hidden file of ours is reported, then repaired away.
  hidden=$(cd "$mnt" && find . \( -name '.discshelf-*' -o -path ./config/.iso_filename.txt.new \
    -o -path ./config/.image-record.txt.new \) |
    sed 's|^\.||' | sort)
  rc=0; reported=$("$cli" check 2>/dev/null) || rc=$?
  if [ -n "$hidden" ]; then
    leftovers=$((leftovers + 1))
    case "$hidden" in *.commit* | *move-*) journals=$((journals + 1)) ;; esac
    [ "$rc" = 8 ] || fail "check ended with $rc although $hidden was left"
    echo "$reported" | grep -qvE ' was left by an interrupted (copy|move)$' && fail "other problems: $reported"
    [ "$(echo "$reported" | sed -E 's/ was left by an interrupted (copy|move)$//' | sort)" = "$hidden" ] ||
      fail "left: $hidden; reported: $reported"
    "$cli" check --repair >/dev/null 2>&1 || fail "check --repair ended with $?"
    [ -z "$(cd "$mnt" && find . -name '.discshelf-*' -o -name .iso_filename.txt.new \
            -o -name .image-record.txt.new)" ] ||
      fail "leftovers after the repair"
  else
    [ "$rc" = 0 ] || fail "check ended with $rc: $reported"
  fi

  sums=$(image_sums)
  [ "$(echo "$sums" | grep -v "${not_kept[@]}")" = "$kept" ] ||
    fail "an image the user had changed"
  over=$(echo "$sums" | awk '$2 == "./linux/over.iso" { print $1 }')
  case " $over_sums " in *" $over "*) ;; *) fail "linux/over.iso is neither version, whole" ;; esac
  fresh=$(echo "$sums" | awk '$2 == "./fresh.iso" { print $1 }')
  [ -z "$fresh" ] || [ "$fresh" = "$fresh_sum" ] || fail "fresh.iso is not whole"
  # Every image the record names is there, whole: its size and checksum are the ones recorded.
  record="$mnt/config/.image-record.txt"
  if [ -f "$record" ]; then
    [ "$(head -n 1 "$record")" = "discshelf-images 1" ] ||
      fail "the record's first line is $(head -n 1 "$record")"
    while IFS= read -r line; do
      # Tabs are white space to read, which would merge the empty fields.
      rsum=$(cut -f1 <<<"$line") rsize=$(cut -f2 <<<"$line") rparts=$(cut -f3 <<<"$line")
      rpath=$(cut -f7- <<<"$line")
      if [ "$rparts" = 1 ]; then files=("$mnt$rpath"); else
        files=(); for ((p = 0; p < rparts; p++)); do files+=("$mnt$rpath.$p"); done
      fi
      [ "$(cat "${files[@]}" 2>/dev/null | wc -c)" = "$rsize" ] ||
        fail "the record names $rpath, which is not whole"
      [ "$(cat "${files[@]}" | sha256sum | cut -d' ' -f1)" = "$rsum" ] ||
        fail "the record gives $rpath a checksum it does not have"
      recorded=$((recorded + 1))
    done < <(tail -n +2 "$record")
  fi
  roam=$(roam_where)
  [ "$(echo "$roam" | wc -w)" = 1 ] || fail "the split image is at '$roam'"
  [ "$(cat "$mnt$roam.0" "$mnt$roam.1" | sha256sum | cut -d' ' -f1)" = "$roam_sum" ] ||
    fail "the split image $roam is not whole"
  [ "$(cd "$mnt" && find . -iname 'roam.iso*' -o -iname 'wander.iso*' | wc -l)" = 2 ] ||
    fail "parts of the split image are left elsewhere"
  choice=$(cat "$mnt/config/iso_filename.txt")
  # A choice of the split image follows it; one naming where it was would boot nothing.
  case " $choices $roam " in *" $choice "*) ;; *) fail "boot choice is '$choice'" ;; esac
  # The next run writes fresh.iso anew; as one deleted outside Discshelf would, it leaves the
  # record, which would otherwise name an image that is gone.
  rm -f "$mnt/fresh.iso"
  if [ -f "$record" ]; then
    # Replaced as the program replaces it: fusefat loses a file truncated and written again.
    grep -v $'\t/fresh\\.iso$' "$record" >"$work/record" || true
    cp "$work/record" "$record.edit" && mv -f "$record.edit" "$record"
  fi

  "$sim" unplug "$stick"
  "$fsck" -n "$stick/volume.img" >"$work/fsck.log" 2>&1 || fail "fsck.fat: $(cat "$work/fsck.log")"
  "$sim" plug "$stick"
  echo "run $run: $what: $([ -n "$hidden" ] && echo "leftovers reported and repaired" || echo "nothing left over")"
done
echo "crash-recovery: $runs runs (seed $seed): $killed killed, $finished finished first," \
  "$leftovers left leftovers ($journals a journal of a copy or move to carry out); volume clean," \
  "images whole, boot choice whole after every one; the record named $recorded images, each whole"
