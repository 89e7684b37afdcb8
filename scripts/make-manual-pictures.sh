#!/usr/bin/env bash
# Remakes the pictures of the manual (src/gui/help/manual/images/): every
# build command on the chessboard example with vesk-cli, shrunk to small
# JPEGs with ImageMagick, and the screenshots of the README shrunk likewise.
# Needs a built vesk-cli (scripts/build.sh) and `convert` (imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."

cli=${VESK_CLI:-build/src/cli/vesk-cli}
out=src/gui/help/manual/images
project=examples/chessboard/chessboard_points.prt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

shrink() {  # source, width, target
  convert "$1" -resize "$2x" -strip -quality 82 "$3"
}

for build in first-to-second second-to-first anaglyph-second anaglyph-first; do
  "$cli" render --project "$project" --by points --build "$build" --decimal-separator . -o "$work/$build.png"
  shrink "$work/$build.png" 320 "$out/$build.jpg"
done
# The scene builds over the board's own area, half a scene unit per pixel.
for build in first-to-plan second-to-plan anaglyph-scene; do
  "$cli" render --project "$project" --by points --build "$build" --area -60 300 -210 60 --step 0.5 \
    --decimal-separator . -o "$work/$build.png"
  shrink "$work/$build.png" 320 "$out/$build.jpg"
done
"$cli" render --project "$project" --by points --build anaglyph-scene --area -60 300 -210 60 --step 0.5 \
  --decimal-separator . --anaglyph red-cyan-optimised -o "$work/red-cyan.png"
shrink "$work/red-cyan.png" 320 "$out/anaglyph-scene-red-cyan.jpg"
shrink examples/chessboard/left01.bmp 320 "$out/left01.jpg"
shrink examples/chessboard/right01.bmp 320 "$out/right01.jpg"

shrink docs/mode-selection.jpg 400 "$out/mode-selection.jpg"
shrink docs/reference-point-workspace.jpg 560 "$out/reference-point-workspace.jpg"
shrink docs/orientation-workspace.jpg 560 "$out/orientation-workspace.jpg"
shrink docs/result-viewer.jpg 400 "$out/result-viewer.jpg"
ls -l "$out"
