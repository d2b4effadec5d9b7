#!/usr/bin/env bash
# Static checks: clang-tidy with the check list of .clang-tidy on the source
# files under src/, compiled as the build directory compiles it. A finding fails
# the script (the checks are chosen so that each one points at a real fault).
#
#   scripts/run-clang-tidy.sh BUILD_DIR [FILE...]
#
# Without files, the layers that changed are checked: every source file of each
# layer (src/<layer>/) with a file changed since the branch left ORVA_TIDY_BASE
# (default main), or in the last commit when on that branch itself, or not yet
# committed. A change of .clang-tidy or of the build, ORVA_TIDY_ALL=1, or a tree
# without git history checks every layer. On two cores all layers take about
# three minutes, which is why only the changed ones are checked by default.
# ORVA_TIDY_JOBS sets the number of parallel clang-tidy processes (default: the
# number of processors); ORVA_TIDY_LIST=1 only lists the files it would check.
set -euo pipefail
build_dir=${1:?build directory}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${ORVA_TIDY_JOBS:-$(nproc)}

tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$tidy" ]; then
  echo "clang-tidy is not installed" >&2
  exit 1
fi
if [ ! -f "$build_dir/compile_commands.json" ]; then
  echo "no compile_commands.json in $build_dir" >&2
  exit 1
fi

all_files() { (cd "$root" && find src -name '*.cpp' | sort); }

# The source files of the layers that changed (see above).
changed_layer_files() {
  cd "$root"
  if [ "${ORVA_TIDY_ALL:-0}" = 1 ] || ! git rev-parse --git-dir >/dev/null 2>&1; then
    all_files
    return
  fi
  local base=${ORVA_TIDY_BASE:-main} since head
  head=$(git rev-parse HEAD)
  if since=$(git merge-base HEAD "$base" 2>/dev/null) && [ "$since" != "$head" ]; then
    :
  elif git rev-parse -q --verify HEAD~1 >/dev/null; then
    since=HEAD~1
  else
    all_files
    return
  fi
  local changed
  changed=$( (git diff --name-only "$since" HEAD; git diff --name-only HEAD;
              git ls-files --others --exclude-standard) | sort -u)
  if grep -qE '^(\.clang-tidy|CMakeLists\.txt|src/CMakeLists\.txt|scripts/run-clang-tidy\.sh)$' <<<"$changed"; then
    all_files
    return
  fi
  local layer
  for layer in $(sed -n 's#^src/\([^/]*\)/.*#\1#p' <<<"$changed" | sort -u); do
    [ -d "src/$layer" ] && find "src/$layer" -name '*.cpp'
  done | sort
}

if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(changed_layer_files)
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "clang-tidy: no layer changed, nothing to check"
  exit 0
fi
if [ "${ORVA_TIDY_LIST:-0}" = 1 ]; then
  printf '%s\n' "${files[@]}"
  exit 0
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
start=$(date +%s)
status=0
# Findings are errors; warnings of the compiler itself are the build's business.
(cd "$root" && printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 4 "$tidy" -p "$build_dir" --quiet --warnings-as-errors='*' \
    --extra-arg=-Wno-unknown-warning-option) >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  grep -E 'error:|warning:|note:|^ ' "$log" | grep -v 'warnings generated' | head -n 200 >&2 || true
  echo "clang-tidy: findings in the sources (see above)" >&2
  exit 1
fi
echo "clang-tidy: ${#files[@]} files clean in $(($(date +%s) - start)) s"
