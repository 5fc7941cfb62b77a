#!/usr/bin/env bash
# Runs the test suite of an existing build/ (tools/setup.sh makes it).
# Tests that show windows need an X display: without one they run under a
# private Xvfb server.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 300 "$@"
fi
exec ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 300 "$@"
