#!/bin/bash
# Fingerprints of every catalog run the page engine's changes are checked against: the
# bundled samples, the real samples where present, the crash files, the archive tree and
# the fuzz corpus (copied under its formats' extensions, which its files lack). The runs
# see the folders by relative names, so that two checkouts give comparable lines.
#   tests/records/all-records.sh BUILD_DIR [--dump DIR] > records.txt
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$root/samples" "$work/samples"
ln -s "$root/tests/data/crashers" "$work/crashers"
ln -s "$root/tests/data/archives" "$work/archives"
folders=(samples crashers archives:tree)
if [ -d "$root/../shared/samples-real" ]; then
    ln -s "$(cd "$root/../shared/samples-real" && pwd)" "$work/real"
    folders+=(real)
fi
for folder in "$root"/fuzz/corpus/*/; do
    format=$(basename "$folder")
    mkdir -p "$work/corpus/$format"
    for file in "$folder"*; do
        cp "$file" "$work/corpus/$format/$(basename "$file").$format"
    done
    folders+=("corpus/$format")
done
cd "$work" && "$build/tests/orlika-canvas-records" "$@" "${folders[@]}"
