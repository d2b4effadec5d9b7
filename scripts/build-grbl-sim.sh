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
# What this script adds to the kit's build; a change rebuilds.
edits="serial-ring-fences-2"
newest_input="$(find "$kit/build.sh" "$kit/sources" "$kit/patches" -type f -newer "$stamp" 2>/dev/null | head -1)"
all_there=1
for fw in "${firmwares[@]}"; do [ -x "$out/bin/grbl_sim-$fw" ] || all_there=0; done
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$edits" ] && [ "$all_there" = 1 ] && [ -z "$newest_input" ]; then
  exit 0
fi
echo "grbl-sim: building ${firmwares[*]} into $out"
# The kit's build from a copy of it, with one more simulator-only race fix
# (no change on the AVR, where an interrupt cannot run in between): grbl's
# serial rings are shared by the simulated interrupts and grbl's main loop,
# which run in two threads here, and the optimiser stores a ring's new head
# before the byte itself. The other side can then take the byte the slot held
# a lap before: two lines run together or a number goes bad ("error:24",
# "error:25", "error:2") on a line that was sent intact, or a status report
# comes out garbled and the controller seems not to answer. Fences keep each
# byte before its head, and each read before the tail that frees the slot.
copy="$out/kit"
rm -rf "$copy" && cp -r "$kit" "$copy"
cat > "$copy/fences.sh" <<'EDITS'
  set_line "$g/serial.c" '^( *)serial_rx_buffer_head = next_head;(.*)$' '\1__atomic_thread_fence(__ATOMIC_RELEASE); serial_rx_buffer_head = next_head; /* [orva] */\2' '__ATOMIC_RELEASE); serial_rx_buffer_head'
  set_line "$g/serial.c" '^( *)uint8_t data = serial_rx_buffer\[tail\];(.*)$' '\1__atomic_thread_fence(__ATOMIC_ACQUIRE); uint8_t data = serial_rx_buffer[tail]; __atomic_thread_fence(__ATOMIC_RELEASE); /* [orva] */\2' '__ATOMIC_ACQUIRE); uint8_t data'
  set_line "$g/serial.c" '^( *)serial_tx_buffer_head = next_head;(.*)$' '\1__atomic_thread_fence(__ATOMIC_RELEASE); serial_tx_buffer_head = next_head; /* [orva] */\2' '__ATOMIC_RELEASE); serial_tx_buffer_head'
  set_line "$g/serial.c" '^( *)UDR0 = serial_tx_buffer\[tail\];(.*)$' '\1__atomic_thread_fence(__ATOMIC_ACQUIRE); UDR0 = serial_tx_buffer[tail]; __atomic_thread_fence(__ATOMIC_RELEASE); /* [orva] */\2' '__ATOMIC_ACQUIRE); UDR0'
EDITS
awk -v edits="$copy/fences.sh" '/^  local cfg="\$g\/config.h"/ { while ((getline line < edits) > 0) print line; close(edits) } { print }' \
  "$kit/build.sh" > "$copy/build.sh"
chmod +x "$copy/build.sh"
if grep -q "serial_rx_buffer_head = next_head" "$copy/build.sh" &&
   GRBLSIM_OUT="$out" "$copy/build.sh" "${firmwares[@]}" > "$out/build.log" 2>&1; then
  echo "$edits" > "$stamp"
  echo "grbl-sim: built"
else
  tail -20 "$out/build.log"
  echo "grbl-sim: the simulators could not be built (log: $out/build.log); the streaming tests against the firmware will be skipped"
fi
exit 0
