#!/usr/bin/env bash
# Whole processes on a 4000x4000 seal picture: `oesqx seal render` (load the
# seal, 24-bit rows, error diffusion, GIF) beside ImageMagick remapping the
# same picture onto our standard palette with Floyd-Steinberg diffusion.
# Usage: bench/render_processes.sh [BUILD_DIR]   (needs hyperfine)
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export OESQX_PATH_ROOT="$work/root"
mkdir -p "$work/root/tmp"

"$build/bin/oesqx" seal sample "$work/s.bmp" 4000 >/dev/null
"$build/bin/oesqx" seal make "$work/s.bmp" "$work/s.seal" --id 1 --name bench >/dev/null
"$build/bin/qx_gif_render" --palette "$work/palette.png" >/dev/null

hyperfine --warmup 1 --runs "${RUNS:-10}" \
  -n "oesqx seal render" "$build/bin/oesqx seal render $work/s.seal $work/ours.gif" \
  -n "ImageMagick convert" "/usr/bin/convert $work/s.bmp -dither FloydSteinberg -remap $work/palette.png $work/im.gif"
