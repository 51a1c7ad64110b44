#!/usr/bin/env bash
# The WebAssembly row of the determinism table: runs the browser build's determinism table
# (BUILD_DIR/determinism_table.js, which tools/web/build.sh builds beside the page) under node
# and passes only when it prints tests/determinism_table.txt's lines, the native build's.
#   tools/web/wasm_determinism.sh [BUILD_DIR]   (default: build-web)
# Prints the lines that differ, and one PASS or FAIL line; exit status 0 only on PASS.
set -uo pipefail
cd "$(dirname "$0")/../.."
build="${1:-${QUILLOMAR_WEB_BUILD_DIR:-build-web}}"
program="$build/determinism_table.js"
if [ ! -f "$program" ]; then
    echo "FAIL: there is no $program (tools/web/build.sh builds it)"
    exit 1
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# A table takes seconds; a program that hangs is stopped.
timeout "${QUILLOMAR_WASM_TIMEOUT:-900}" node "$program" > "$out/all.txt" 2> "$out/errors.txt"
status=$?
grep -v '^#' "$out/all.txt" > "$out/wasm.txt"
grep -v '^#' tests/determinism_table.txt > "$out/committed.txt"
if [ "$status" -eq 124 ]; then
    echo "FAIL: node ran the determinism table past ${QUILLOMAR_WASM_TIMEOUT:-900} s"
    exit 1
fi
if [ ! -s "$out/wasm.txt" ]; then
    tail -n 20 "$out/errors.txt"
    echo "FAIL: node printed no row of the determinism table (status $status)"
    exit 1
fi
if ! diff "$out/committed.txt" "$out/wasm.txt" > "$out/diff.txt"; then
    echo "lines of tests/determinism_table.txt (<) and of the WebAssembly build (>) that differ:"
    cat "$out/diff.txt"
    tail -n 20 "$out/errors.txt"
    echo "FAIL: the WebAssembly build's determinism table is not the committed one"
    exit 1
fi
if [ "$status" -ne 0 ]; then
    tail -n 20 "$out/errors.txt"
    echo "FAIL: node ended the determinism table with status $status"
    exit 1
fi
echo "PASS: the WebAssembly build prints the committed determinism table ($(wc -l < "$out/wasm.txt") levels)"
