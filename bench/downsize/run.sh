#!/usr/bin/env bash
# DownSize against ImageMagick's "convert -define jpeg:extent" and against the floor, on two
# generated photos (fractal plasma, softened, saved as camera-quality JPEG).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${LUMBRA_BUILD:-$here/../../build/release}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

make_photo() {  # seed, size, file
  convert -seed "$1" -size "$2" plasma:fractal -blur 0x1.5 -quality 92 "$work/$3"
}
make_photo 11 3000x2000 landscape_3000x2000.jpg
make_photo 12 1200x1600 portrait_1200x1600.jpg

"$build/bench/downsize/downsize_bench" "$work/run" "$work/landscape_3000x2000.jpg" "$work/portrait_1200x1600.jpg"
