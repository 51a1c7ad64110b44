#!/usr/bin/env bash
# Sets up a fresh Debian or Ubuntu machine for Quillomar, builds it, and then either plays the
# game (./run.sh play), runs every test (./run.sh test), builds the browser build and serves
# it at http://127.0.0.1:8080/quillomar.html until interrupted (./run.sh web; PORT picks another
# port), or runs a record server for friends: the browser build and the API on one address,
# records in one SQLite file (./run.sh server; LISTEN=HOST:PORT, default 0.0.0.0:8080, and
# DATABASE=URL, default sqlite:quillomar-server.db, change them).
set -euo pipefail
cd "$(dirname "$0")"

mode="${1:-play}"
build_dir="${QUILLOMAR_BUILD_DIR:-build}"

packages=(build-essential cmake pkg-config libglfw3-dev libglew-dev libglm-dev libbullet-dev
          libassimp-dev libfreeimage-dev libfreetype-dev libopenal-dev libsndfile1-dev
          libgtest-dev libstb-dev zlib1g-dev libx11-dev libfontconfig-dev fonts-dejavu-core gettext xvfb xauth xdotool
          desktop-file-utils appstream dpkg-dev
          libcpp-httplib-dev libsqlite3-dev libpqxx-dev nlohmann-json3-dev libssl-dev
          libcurl4-openssl-dev)
# The record server's tests start a throw-away PostgreSQL cluster of their own.
[ "${1:-play}" = test ] && packages+=(postgresql)

install_missing_packages() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
}

build() {
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$build_dir" -j "$(nproc)"
}

with_display() {
    if [ -n "${DISPLAY:-}" ]; then
        "$@"
    else
        xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
    fi
}

if [ "$mode" = web ]; then
    tools/web/build.sh
    exec node tools/web/serve.js "${QUILLOMAR_WEB_BUILD_DIR:-build-web}" "${PORT:-8080}"
fi

if [ "$mode" = server ]; then
    install_missing_packages
    tools/web/build.sh
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOMAR_SERVER=ON
    cmake --build "$build_dir" -j "$(nproc)" --target quillomar-server
    exec "$build_dir/quillomar-server" --listen "${LISTEN:-0.0.0.0:8080}" \
        --database "${DATABASE:-sqlite:quillomar-server.db}" \
        --web "${QUILLOMAR_WEB_BUILD_DIR:-build-web}"
fi

install_missing_packages
case "$mode" in
    play)
        build
        exec "$build_dir/quillomar" --menu
        ;;
    test)
        # The suite takes in the browser build (tools/web/build.sh, run by its first test) unless
        # QUILLOMAR_BROWSER_TEST=OFF leaves it out.
        build -DQUILLOMAR_BROWSER_TEST="${QUILLOMAR_BROWSER_TEST:-ON}"
        export ALSOFT_DRIVERS=null QUILLOMAR_WEB_JOBS="${QUILLOMAR_WEB_JOBS:-$(nproc)}"
        with_display ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
        ;;
    *)
        echo "usage: $0 [play|test|web|server]" >&2
        exit 2
        ;;
esac
