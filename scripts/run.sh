#!/usr/bin/env bash
# Builds ORLIKA and runs its main job on the bundled sample designs: the printed
# catalog as a PDF. With a display, the desktop program then opens on the samples.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

mkdir -p out
./build/tools/orlika-catalog samples --title "ORLIKA sample designs" -o out/catalog.pdf
echo "The printed catalog of samples/ is in $(pwd)/out/catalog.pdf"

if [ -n "${DISPLAY:-}" ] && [ -x build/app/orlika ]; then
  first=$(ls samples/* | head -n 1)
  exec ./build/app/orlika "$first"
fi
