# The browser build (emcmake cmake): the same game for WebAssembly and WebGL 2. GLFW, GLEW,
# OpenAL and the file system come with Emscripten; Bullet, FreeType, libsndfile, zlib and Assimp come
# from the prefix tools/web/build_deps.sh fills from Debian's source packages; images go through
# stb_image, as FreeImage does not build for wasm. This file gives them the names the desktop's
# find_package calls give, so the targets below are the same.

set(QUILLOMAR_WEB_DEPS "$ENV{HOME}/.cache/quillomar-web-deps" CACHE PATH
    "Prefix of the browser build's libraries (tools/web/build_deps.sh)")
if(NOT EXISTS "${QUILLOMAR_WEB_DEPS}/.done-bullet")
    message(FATAL_ERROR "The browser build's libraries are not in ${QUILLOMAR_WEB_DEPS}: "
                        "run tools/web/build_deps.sh (./run.sh web does) first.")
endif()
set(web_include "${QUILLOMAR_WEB_DEPS}/include")
set(web_lib "${QUILLOMAR_WEB_DEPS}/lib")

# Threads: the preload, the ghost and the editor's check run on workers, as on the desktop.
set(web_thread_flags -pthread)
# The same rounding as the desktop: no fused multiply-add anywhere in the simulation.
add_compile_options(-ffp-contract=off ${web_thread_flags})
add_link_options(${web_thread_flags})

function(web_library name)
    add_library(${name} INTERFACE IMPORTED)
    set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${web_include}")
    set(libraries)
    foreach(file ${ARGN})
        list(APPEND libraries "${web_lib}/${file}")
    endforeach()
    set_target_properties(${name} PROPERTIES INTERFACE_LINK_LIBRARIES "${libraries}")
endfunction()

web_library(glm::glm)
web_library(OpenGL::GL)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_LINK_OPTIONS
    "-sUSE_WEBGL2=1;-sMIN_WEBGL_VERSION=2;-sMAX_WEBGL_VERSION=2")
web_library(glfw)
set_target_properties(glfw PROPERTIES INTERFACE_LINK_OPTIONS "-sUSE_GLFW=3")
web_library(GLEW::GLEW)
web_library(OpenAL::OpenAL)
set_target_properties(OpenAL::OpenAL PROPERTIES INTERFACE_LINK_OPTIONS "-lopenal")
web_library(Freetype::Freetype libfreetype.a libz.a)
set_target_properties(Freetype::Freetype PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
    "${web_include};${web_include}/freetype2")
web_library(PkgConfig::SNDFILE libsndfile.a)
web_library(assimp::assimp libassimp.a libminizip.a libz.a)
web_library(ZLIB::ZLIB libz.a)
set(BULLET_INCLUDE_DIRS "${web_include}/bullet")
set(BULLET_LIBRARIES "${web_lib}/libBulletDynamics.a" "${web_lib}/libBulletCollision.a"
                     "${web_lib}/libLinearMath.a")
set(FREEIMAGE_INCLUDE_DIR "${web_include}")
set(FREEIMAGE_LIBRARY "")
set(FONTCONFIG_LINK_LIBRARIES "")

# The page: quillomar.html with its .js, .wasm and .data. The data folders are preloaded at the
# root of the browser's file system, where the game looks for them relative to "/"; the player's
# folders (records, settings) are kept in IndexedDB by tools/web/pre.js.
function(quillomar_browser_page target)
    set_target_properties(${target} PROPERTIES SUFFIX ".html")
    set(web "${CMAKE_SOURCE_DIR}/tools/web")
    target_link_options(${target} PRIVATE
        -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456 -sPTHREAD_POOL_SIZE=4
        -sDEFAULT_PTHREAD_STACK_SIZE=4194304 -sTOTAL_STACK=8388608 -sMINIFY_HTML=0
        -sFORCE_FILESYSTEM=1 -lidbfs.js "-sEXPORTED_RUNTIME_METHODS=[FS,callMain,ccall]"
        "SHELL:--pre-js ${web}/pre.js" "SHELL:--shell-file ${web}/shell.html"
        # SHELL: keeps each repeated option with its value (CMake drops repeated options).
        "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/Quillomar@/Quillomar"
        "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/levels@/levels"
        "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/level.txt@/level.txt"
        "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/config.txt@/config.txt")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
        "${web}/pre.js" "${web}/shell.html")
    # The tab's icon: tools/generate_icon's picture of the ball, made 64 x 64 once (it needs
    # FreeImage, which the browser build lacks).
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CMAKE_SOURCE_DIR}/dist/favicon.png"
                "$<TARGET_FILE_DIR:${target}>/favicon.png")
endfunction()

# A program run by node rather than in the page (tools/web/wasm_determinism.sh runs the
# determinism table so): it reads and writes the real files below node's working directory. Its
# .wasm is read and compiled at once, as a newer node's fetch takes no file paths.
function(quillomar_node_program target)
    target_link_options(${target} PRIVATE
        -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sWASM_ASYNC_COMPILATION=0
        -sALLOW_MEMORY_GROWTH=1
        -sINITIAL_MEMORY=268435456 -sTOTAL_STACK=8388608)
endfunction()
