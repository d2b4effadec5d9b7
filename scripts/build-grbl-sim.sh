#!/usr/bin/env bash
# Builds the GRBL firmware simulators used by the controller streaming tests
# into a writable folder (default build/grbl-sim), from the kit next to the
# project (../shared/tools/grbl-sim, or GRBLSIM_KIT). Quick when they are built
# already; prints a message and succeeds when the kit is missing or cannot be
# built, so that the tests that need it skip instead of failing the build.
#
#   scripts/build-grbl-sim.sh [OUT_DIR]
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kit="${GRBLSIM_KIT:-$root/../shared/tools/grbl-sim}"
out="${1:-${GRBLSIM_OUT:-$root/build/grbl-sim}}"
firmwares=(mega5x-xyza mega5x-xyuv grbl-1.1h)

if [ ! -x "$kit/build.sh" ]; then
  echo "grbl-sim: no simulator kit at $kit; the streaming tests against the firmware will be skipped"
  exit 0
fi
mkdir -p "$out"
stamp="$out/.built"
newest_input="$(find "$kit/build.sh" "$kit/sources" "$kit/patches" -type f -newer "$stamp" 2>/dev/null | head -1)"
all_there=1
for fw in "${firmwares[@]}"; do [ -x "$out/bin/grbl_sim-$fw" ] || all_there=0; done
if [ -f "$stamp" ] && [ "$all_there" = 1 ] && [ -z "$newest_input" ]; then
  exit 0
fi
echo "grbl-sim: building ${firmwares[*]} into $out"
if GRBLSIM_OUT="$out" "$kit/build.sh" "${firmwares[@]}" > "$out/build.log" 2>&1; then
  touch "$stamp"
  echo "grbl-sim: built"
else
  tail -20 "$out/build.log"
  echo "grbl-sim: the simulators could not be built (log: $out/build.log); the streaming tests against the firmware will be skipped"
fi
exit 0
