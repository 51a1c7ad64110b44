# Fails when a source file below DIR includes a window, GL or sound header itself: GLFW, OpenGL
# (GL, GLES, EGL, GLEW, the renderer's own GL wrappers) or OpenAL. The shell reaches the window,
# the GL and the sound through the framework, renderer and sound parts, never directly.
#   cmake -DDIR=path/to/shell -P no_platform_includes.cmake
if(NOT IS_DIRECTORY "${DIR}")
    message(FATAL_ERROR "no folder ${DIR} to check")
endif()
set(platform_header
    "(GL|GLES[0-9]*|GLFW|EGL|KHR|AL|OpenGL|OpenAL)/|render/gl_platform\\.h|render/gl_handle\\.h")
set(include_line "^[ \t]*#[ \t]*include[ \t]*[<\"](${platform_header})")
file(GLOB_RECURSE sources RELATIVE "${DIR}" "${DIR}/*.h" "${DIR}/*.hpp" "${DIR}/*.cpp" "${DIR}/*.cc")
list(SORT sources)
set(found 0)
foreach(source IN LISTS sources)
    # One list element a line: the list's own separators and brackets are taken out first.
    file(READ "${DIR}/${source}" text)
    string(REGEX REPLACE "[][;]" "_" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "${include_line}")
            message("${source}:${number}: ${line}")
            math(EXPR found "${found} + 1")
        endif()
    endforeach()
endforeach()
list(LENGTH sources checked)
if(found GREATER 0)
    message(FATAL_ERROR "${found} window, GL or sound include(s) in ${DIR}")
endif()
message("${checked} files in ${DIR}, none includes a window, GL or sound header")
