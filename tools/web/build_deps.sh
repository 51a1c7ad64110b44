#!/usr/bin/env bash
# Builds the libraries the browser build links (Bullet, FreeType, libsndfile, zlib, minizip and
# Assimp with only its OBJ importer) from Debian's source packages into a prefix outside any build
# folder, so every web build reuses them. Each library leaves a stamp once installed; a stamp
# that is there is not built again. Prints the prefix on its last line.
set -euo pipefail

prefix="${QUILLOMAR_WEB_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/quillomar-web-deps}"
sources="$prefix/src"
# Raise when a library's options change, so old prefixes are built afresh.
layout=1
jobs="${QUILLOMAR_WEB_JOBS:-2}"

export NODE_PATH=/usr/share/nodejs
export EMSDK_PYTHON=/usr/bin/python3
# The simulation must round the same in the browser as on the desktop: no fused multiply-add.
# Every object of a threaded wasm program must be built with threads.
flags="-O2 -pthread -ffp-contract=off"
export CFLAGS="$flags" CXXFLAGS="$flags"
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig" PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"

mkdir -p "$prefix/include" "$prefix/lib/pkgconfig" "$sources"
if [ "$(cat "$prefix/.layout" 2>/dev/null)" != "$layout" ]; then
    rm -rf "$prefix"/.done-* "$prefix/lib" "$prefix/include"
    mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
    echo "$layout" > "$prefix/.layout"
fi

done_stamp() { echo "$prefix/.done-$1"; }
is_done() { [ -f "$(done_stamp "$1")" ]; }
mark_done() { touch "$(done_stamp "$1")"; }

# Adds Debian source entries beside the binary ones (same suites) when none is there.
ensure_source_entries() {
    if grep -rqs '^\(Types: .*deb-src\|deb-src \)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return
    fi
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            $sudo tee /etc/apt/sources.list.d/quillomar-deb-src.sources > /dev/null
    else
        grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            $sudo tee /etc/apt/sources.list.d/quillomar-deb-src.list > /dev/null
    fi
    # Its callers print a folder on standard output: apt's lines go to the error stream.
    $sudo apt-get update -q >&2
}

# Unpacks Debian's source package $1 once; prints its folder.
unpacked() {
    local name="$1"
    local found
    found=$(find "$sources" -maxdepth 1 -mindepth 1 -type d -name "$name-*" | head -n 1)
    if [ -z "$found" ]; then
        ensure_source_entries
        # The newest version first; a mirror that has lost its files (a security update's, say)
        # falls back to the versions other suites list.
        if ! (cd "$sources" && apt-get source -q "$name" > /dev/null); then
            local version
            for version in $(apt-cache showsrc "$name" | sed -n 's/^Version: //p'); do
                (cd "$sources" && apt-get source -q "$name=$version" > /dev/null) && break
            done
        fi
        found=$(find "$sources" -maxdepth 1 -mindepth 1 -type d -name "$name-*" | head -n 1)
        [ -n "$found" ] || { echo "web dependencies: no source package of $name came" >&2; return 1; }
    fi
    echo "$found"
}

cmake_library() {
    local source="$1" build="$2"
    shift 2
    [ -n "$source" ] || return 1
    # A build cut short goes on where it stopped.
    emcmake cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_ROOT_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" > "$build.log" 2>&1 ||
        { tail -n 30 "$build.log" >&2; return 1; }
    nice cmake --build "$build" -j "$jobs" >> "$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; return 1; }
    cmake --install "$build" >> "$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; return 1; }
}

# Header-only libraries come from the host's packages.
if ! is_done headers; then
    cp -r /usr/include/glm "$prefix/include/"
    cp /usr/include/stb/stb_image.h "$prefix/include/"
    mark_done headers
fi

if ! is_done bullet; then
    echo "web dependencies: Bullet" >&2
    bullet=$(unpacked bullet)
    # The game links the collision, dynamics and maths libraries only.
    sed -i 's/^SUBDIRS( *BulletInverseDynamics BulletSoftBody /SUBDIRS( /' "$bullet/src/CMakeLists.txt"
    cmake_library "$bullet" "$sources/build-bullet" -DBUILD_BULLET2_DEMOS=OFF \
        -DBUILD_EXTRAS=OFF -DBUILD_BULLET3=OFF -DBUILD_UNIT_TESTS=OFF -DBUILD_CPU_DEMOS=OFF \
        -DBUILD_OPENGL3_DEMOS=OFF -DBUILD_PYBULLET=OFF -DUSE_DOUBLE_PRECISION=OFF \
        -DINSTALL_LIBS=ON -DUSE_GRAPHICAL_BENCHMARK=OFF
    mark_done bullet
fi


if ! is_done sndfile; then
    echo "web dependencies: libsndfile" >&2
    cmake_library "$(unpacked libsndfile)" "$sources/build-sndfile" -DENABLE_EXTERNAL_LIBS=OFF \
        -DENABLE_MPEG=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
        -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF -DBUILD_REGTEST=OFF
    mark_done sndfile
fi

if ! is_done zlib; then
    echo "web dependencies: zlib and minizip" >&2
    zlib=$(unpacked zlib)
    (
        cd "$zlib"
        emconfigure ./configure --static --prefix="$prefix" > "$sources/build-zlib.log" 2>&1
        nice emmake make -j "$jobs" libz.a >> "$sources/build-zlib.log" 2>&1
        emmake make install >> "$sources/build-zlib.log" 2>&1
        # minizip from zlib's contrib folder, as Assimp reads zipped models through it.
        cd contrib/minizip
        rm -f ./*.o
        for f in ioapi unzip zip; do
            emcc $CFLAGS -I"$prefix/include" -c "$f.c" -o "$f.o"
        done
        emar rcs "$prefix/lib/libminizip.a" ioapi.o unzip.o zip.o
        mkdir -p "$prefix/include/minizip"
        cp ioapi.h unzip.h zip.h crypt.h "$prefix/include/minizip/"
    ) >&2
    cat > "$prefix/lib/pkgconfig/minizip.pc" <<PC
prefix=$prefix
Name: minizip
Description: zip reading from zlib's contrib folder
Version: 1.3
Requires: zlib
Libs: -L\${prefix}/lib -lminizip
Cflags: -I\${prefix}/include/minizip
PC
    mark_done zlib
fi

# FreeType reads gzip streams with the zlib built above, not with a copy of its own: two zlibs
# in one program define the same symbols twice.
if ! is_done freetype-with-zlib; then
    echo "web dependencies: FreeType" >&2
    cmake_library "$(unpacked freetype)" "$sources/build-freetype" -DFT_DISABLE_ZLIB=OFF -DFT_REQUIRE_ZLIB=ON \
        -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
        -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
    mark_done freetype-with-zlib
fi


if ! is_done assimp; then
    echo "web dependencies: Assimp (OBJ only)" >&2
    assimp=$(unpacked assimp)
    # Debian's build asks for draco, which the OBJ importer never uses.
    sed -i 's/^\(\s*\)find_package(draco/\1#find_package(draco/' "$assimp/CMakeLists.txt" \
        "$assimp/code/CMakeLists.txt"
    mkdir -p "$prefix/include/utf8cpp"
    cp -r /usr/include/utf8cpp/. "$prefix/include/utf8cpp/"
    cmake_library "$assimp" "$sources/build-assimp" \
        -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_OBJ_IMPORTER=ON \
        -DASSIMP_BUILD_ALL_EXPORTERS_BY_DEFAULT=OFF -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_TESTS=OFF \
        -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF \
        -DASSIMP_INSTALL_PDB=OFF -DASSIMP_BUILD_DRACO=OFF -DZLIB_ROOT="$prefix" \
        -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
        -DCMAKE_CXX_FLAGS="$flags -I$prefix/include/utf8cpp"
    mark_done assimp
fi

echo "$prefix"
