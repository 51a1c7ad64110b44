#!/usr/bin/env bash
# Builds the browser build into build-web/ (quillomar.html, .js, .wasm, .data, and the determinism
# table for node, determinism_table.js): installs what is missing (Emscripten, Chromium, Node.js
# and npm's puppeteer-core below tools/web), builds the libraries it links into a cached prefix
# (tools/web/build_deps.sh), then the game.
set -euo pipefail
cd "$(dirname "$0")/../.."

build_dir="${QUILLOMAR_WEB_BUILD_DIR:-build-web}"
packages=(emscripten chromium libstb-dev libutfcpp-dev libglm-dev dpkg-dev cmake pkg-config
          fonts-dejavu-core gettext)

install_missing_packages() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    # Node.js may come from elsewhere than Debian (its own npm with it): any node and npm do.
    command -v node > /dev/null || missing+=(nodejs)
    command -v npm > /dev/null || missing+=(npm)
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing_packages
if [ ! -d tools/web/node_modules/puppeteer-core ]; then
    (cd tools/web && npm install --no-audit --no-fund --loglevel=error)
fi

# Debian's Emscripten finds its JavaScript modules there, and must run Debian's python3.
export NODE_PATH=/usr/share/nodejs
export EMSDK_PYTHON=/usr/bin/python3
deps=$(tools/web/build_deps.sh | tail -n 1)

launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
emcmake cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DQUILLOMAR_WEB_DEPS="$deps" \
    "${launcher[@]}" > /dev/null
nice cmake --build "$build_dir" -j "${QUILLOMAR_WEB_JOBS:-2}" --target quillomar determinism_table
echo "built $build_dir/quillomar.html and $build_dir/determinism_table.js"
