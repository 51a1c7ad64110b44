#!/usr/bin/env bash
# The browser test: builds the browser build, lets the desktop's checking player play LEVEL
# (replay_finish) and plays its recording in headless Chromium; passes only when the page ends
# on the desktop's finish tick. Leaves the recording and a screenshot in OUT_DIR.
#   tools/web/browser_test.sh REPLAY_FINISH LEVEL OUT_DIR
set -euo pipefail
replay_finish="$1" level="$2" out="$3"
cd "$(dirname "$0")/../.."
mkdir -p "$out"
tools/web/build.sh
expected=$("$replay_finish" "$level" "$out/run.replay" | sed -n 's/^finish tick //p')
echo "desktop: finish tick $expected"
exec node tools/web/browser_test.js replay "${QUILLOMAR_WEB_BUILD_DIR:-build-web}" "$level" \
    "$out/run.replay" "$expected" "$out/replay.png"
