#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzzing build (-DDISCSHELF_FUZZ=ON) for a given time, starting
# from its seed corpus under tests/fuzz/corpus, and fails on any crash, hang, leak or sanitizer
# report. New inputs go to a scratch folder, so the seed corpus stays as committed; a failing
# input is kept as BUILD/fuzz-findings/<target>/crash-... to be made a regular test row.
# Usage: tools/fuzz.sh BUILD_DIR [SECONDS_PER_TARGET (default 60)] [TARGET...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: tools/fuzz.sh BUILD_DIR [SECONDS] [TARGET...]}" && pwd)
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(wql mounttable udev sysfs)

status=0
for t in "${targets[@]}"; do
  program="$build/tests/fuzz/fuzz_$t"
  [ -x "$program" ] || { echo "fuzz: $program is missing (configure with -DDISCSHELF_FUZZ=ON)" >&2; exit 2; }
  scratch=$(mktemp -d)
  findings="$build/fuzz-findings/$t"
  mkdir -p "$findings"
  # Hangs count as findings too: no input of these readers should take a second.
  if "$program" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$findings/" "$scratch" "$top/tests/fuzz/corpus/$t" \
       >"$findings/log" 2>&1; then
    found=0
  else
    found=1 status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$findings/log" | tail -1)
  if [ $found = 0 ]; then
    echo "fuzz_$t: ${runs:-?} runs in ${seconds} s (${speed:-?} per second), nothing found"
  else
    echo "fuzz_$t: FOUND a fault after ${runs:-?} runs: $findings holds the log and the input" >&2
    tail -30 "$findings/log" >&2
  fi
  rm -rf "$scratch"
done
exit $status
