#!/usr/bin/env bash
# The browser test, both ways, on the browser build in build-web/ (tools/web/build.sh builds it;
# QUILLOMAR_WEB_BUILD_DIR names another folder):
#   tools/web/browser_test.sh replay REPLAY_FINISH LEVEL OUT_DIR
#     the desktop's checking player plays LEVEL (replay_finish) and headless Chromium plays its
#     recording in the page; passes only when the page ends on the desktop's finish tick.
#   tools/web/browser_test.sh record REPLAY_FINISH LEVEL OUT_DIR
#     the page plays LEVEL with W held and records it; the desktop plays that recording
#     (replay_finish --replay) and must end on the page's finish tick.
# Either way a GL error, WebGL warning or page error in the page's console fails it. Leaves the
# recording and a screenshot in OUT_DIR; prints one PASS or FAIL line.
set -euo pipefail
mode="$1" replay_finish="$2" level="$3" out="$4"
cd "$(dirname "$0")/../.."
build="${QUILLOMAR_WEB_BUILD_DIR:-build-web}"
if [ ! -f "$build/quillomar.html" ]; then
    echo "FAIL: there is no $build/quillomar.html (tools/web/build.sh builds it)"
    exit 1
fi
mkdir -p "$out"
name=$(basename "$level" .txt)

finish_tick() { sed -n 's/^\(page: \)\{0,1\}finish tick \([0-9][0-9]*\)$/\2/p'; }

case "$mode" in
    replay)
        expected=$("$replay_finish" "$level" "$out/$name-desktop.replay" | finish_tick || true)
        if [ -z "$expected" ]; then
            echo "FAIL: the desktop's checking player did not finish $level"
            exit 1
        fi
        echo "desktop: finish tick $expected"
        exec node tools/web/browser_test.js replay "$build" "$level" \
            "$out/$name-desktop.replay" "$expected" "$out/$name-replay.png"
        ;;
    record)
        status=0
        node tools/web/browser_test.js record "$build" "$level" "$out/$name-page.replay" \
            "$out/$name-record.png" > "$out/$name-record.log" || status=$?
        cat "$out/$name-record.log" >&2
        page=$(finish_tick < "$out/$name-record.log" || true)
        if [ -z "$page" ]; then
            echo "FAIL: the page recorded no finished run of $level"
            exit 1
        fi
        if [ "$status" -ne 0 ]; then
            echo "FAIL: the page's console showed a fault while it recorded $level"
            exit 1
        fi
        desktop=$("$replay_finish" --replay "$level" "$out/$name-page.replay" | finish_tick || true)
        if [ "$desktop" = "$page" ]; then
            echo "PASS: the page's recording finished on tick $page on the desktop too"
        else
            echo "FAIL: the page finished on tick $page, its recording on the desktop on tick" \
                 "${desktop:-none}"
            exit 1
        fi
        ;;
    *)
        echo "usage: browser_test.sh replay|record REPLAY_FINISH LEVEL OUT_DIR" >&2
        exit 2
        ;;
esac
