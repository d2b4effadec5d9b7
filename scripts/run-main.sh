#!/usr/bin/env bash
# With a display: the desktop program on the example wing. Without one: a
# whole panel cut of the example wing on the simulated machine — survey, cut
# script, replay — with a short summary, then the example's two views as PNG
# and PDF pictures.
set -euo pipefail
build_dir=${1:-build/release}
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build_dir/src/cli/orva-cli"
project="$root/examples/wing.cnc"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build_dir/src/ui/orva" ]; then
  exec "$build_dir/src/ui/orva" "$project"
fi
data="$build_dir/run-data"   # the table and foam files of this demonstration
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$data"

echo "== Airfoils"
"$cli" airfoil --naca 2412 --compact
echo
echo "== Example wing: $(basename "$project"), panel 1"
"$cli" survey "$project" --panel 1 --data-dir "$data" >"$work/survey.json"
cat "$work/survey.json"
echo
echo "== Cut script at the surveyed top speed"
"$cli" cut "$project" --panel 1 --data-dir "$data" --speed max -o "$work/panel1.cut"
echo "$(wc -l <"$work/panel1.cut") lines written"
echo
echo "== Replay on the simulated machine"
"$cli" replay "$work/panel1.cut" --data-dir "$data" --yes --json >"$work/replay.json"
python3 - "$work/survey.json" "$work/replay.json" <<'PY'
import json, sys
survey = json.load(open(sys.argv[1]))
replay = json.load(open(sys.argv[2]))
final = replay["final"]
minutes, seconds = divmod(round(replay["machineTime"]), 60)
print(f"cut speed    {survey['cutSpeed']:.2f} mm/s (limited by: {survey['limitingMove']})")
print(f"heat         {survey['heat']} %")
print(f"total time   {minutes} min {seconds} s on the machine, {replay['plannedTime']:.1f} s planned")
print(f"moves        {replay['moves']}")
print("final        " + ", ".join(f"{axis} {final[axis]:.3f} mm" for axis in ("XG", "YG", "XD", "YD")))
back = all(abs(final[axis]) < 0.05 for axis in final)
print("the wire is back at the machine zero" if back else "the wire did NOT return to zero")
sys.exit(0 if back else 1)
PY
echo
echo "== The example's views"
pictures="$build_dir/run-views"
mkdir -p "$pictures"
for view in profile wing; do
  for ext in png pdf; do
    "$cli" render "$project" --view "$view" --data-dir "$data" -o "$pictures/wing-$view.$ext" 2>/dev/null
  done
done
echo "written to $(cd "$pictures" && pwd):"
ls -1 "$pictures" | sed 's/^/  /'
