#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds, starting from its seed corpus in
# fuzz/corpus/<target>. The corpus grows in a scratch copy inside the build
# folder; a crash leaves its input there as crash-* and fails the run.
set -euo pipefail
build=${1:?usage: run-fuzz.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
for target in scan state messages entities; do
  bin="$build/fuzz/fuzz_$target"
  work="$build/fuzz-run/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$here/corpus/$target"/* "$work/corpus/"
  dict=()
  [ -f "$here/$target.dict" ] && dict=(-dict="$here/$target.dict")
  echo "== fuzz_$target for ${seconds}s"
  if ! "$bin" "$work/corpus" "${dict[@]}" -max_total_time="$seconds" -max_len=4096 \
       -artifact_prefix="$work/artifacts/" -print_final_stats=1 >"$work/log.txt" 2>&1; then
    echo "fuzz_$target FAILED: see $work/log.txt and $work/artifacts/"
    tail -n 40 "$work/log.txt"
    status=1
  else
    grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log.txt" || true
  fi
done
exit $status
