#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, ASan, UBSan) into
# build-fuzz/ and runs each for a short bounded time over a scratch copy of
# its seed corpus. Usage: tools/fuzz_regression.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DOESQX_FUZZ=ON -DOESQX_TESTS=OFF -DOESQX_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/root/tmp"
export OESQX_PATH_ROOT="$work/root"

status=0
for target in build-fuzz/fuzz/*_fuzz; do
  name="$(basename "$target" _fuzz)"
  corpus="$work/corpus-$name"
  mkdir -p "$corpus"
  [[ -d "fuzz/corpus/$name" ]] && cp -r "fuzz/corpus/$name/." "$corpus/"
  if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
       -artifact_prefix="$work/" "$corpus" >"$work/$name.log" 2>&1; then
    echo "fuzz $name: ok ($(grep -Eo '#[0-9]+' "$work/$name.log" | tail -1 | tr -d '#') runs in ${seconds}s)"
  else
    echo "fuzz $name: FAILED"
    tail -40 "$work/$name.log"
    status=1
  fi
done
exit $status
