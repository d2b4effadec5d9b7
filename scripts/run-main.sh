#!/usr/bin/env bash
# The program's main job as it stands: report the built-in airfoil and a NACA airfoil.
set -euo pipefail
build_dir=${1:-build/release}
cli="$build_dir/src/cli/orva-cli"
echo "== built-in airfoil"
"$cli" airfoil --default
echo "== NACA 2412"
"$cli" airfoil --naca 2412
