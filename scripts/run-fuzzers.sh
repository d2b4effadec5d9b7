#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build for a short while.
# A crash, a sanitizer report or a leak makes the script fail.
set -euo pipefail
build_dir=${1:?build directory}
seconds=${2:-30}
root=$(cd "$(dirname "$0")/.." && pwd)

shopt -s nullglob
targets=("$build_dir"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build_dir/fuzz" >&2
  exit 1
fi
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus_seed="$root/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  seeds=()
  [ -d "$corpus_seed" ] && seeds+=("$corpus_seed")
  echo "== fuzzing $name for ${seconds}s"
  mkdir -p "$work/corpus"
  set +e
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "${seeds[@]}" >"$work/log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    tail -n 80 "$work/log"
    echo "fuzz target $name failed (exit $status)" >&2
    rm -rf "$work"
    exit "$status"
  fi
  tail -n 8 "$work/log"
  rm -rf "$work"
done
echo "fuzzing: all targets ran clean"
