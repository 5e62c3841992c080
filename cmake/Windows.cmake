# The Windows build (cmake/MinGW-w64.cmake, scripts/build-windows.sh): wxMSW,
# libpng and the Schannel libcurl from VANTREL_DEPS, everything linked
# statically but libcurl, which is loaded on the first probe.
set(VANTREL_DEPS "" CACHE PATH "Where scripts/build-windows.sh put wxMSW, libpng and curl")
if(NOT EXISTS "${VANTREL_DEPS}/bin/wx-config")
  message(FATAL_ERROR "VANTREL_DEPS does not hold wxMSW: run scripts/build-windows.sh")
endif()
# Libraries are searched only in the MinGW tree and here.
list(APPEND CMAKE_FIND_ROOT_PATH "${VANTREL_DEPS}")
set(wxWidgets_CONFIG_EXECUTABLE "${VANTREL_DEPS}/bin/wx-config")
set(wxWidgets_CONFIG_OPTIONS --static=yes)
set(CURL_INCLUDE_DIRS "${VANTREL_DEPS}/curl/include")
set(VANTREL_CURL_DLL "${VANTREL_DEPS}/curl/bin/libcurl-4.dll")

add_compile_definitions(_WIN32_WINNT=0x0601 UNICODE _UNICODE)
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${PROJECT_SOURCE_DIR}/src/core/PosixOnWindows.h>")
add_link_options(-static -static-libgcc -static-libstdc++)

# The icon from the PNG sizes that scripts/render-icons.sh draws from the SVG.
find_program(ICOTOOL icotool REQUIRED)
set(VANTREL_ICO "${CMAKE_BINARY_DIR}/vantrel.ico")
set(icon_pngs)
foreach(size 16 24 32 48 64 128)
  list(APPEND icon_pngs ${PROJECT_SOURCE_DIR}/resources/icons/vantrel-${size}.png)
endforeach()
add_custom_command(
  OUTPUT "${VANTREL_ICO}"
  COMMAND ${ICOTOOL} -c -o "${VANTREL_ICO}" ${icon_pngs} -r ${PROJECT_SOURCE_DIR}/resources/icons/vantrel-256.png
  DEPENDS ${icon_pngs} ${PROJECT_SOURCE_DIR}/resources/icons/vantrel-256.png
  COMMENT "Making vantrel.ico")
add_custom_target(vantrel-icon DEPENDS "${VANTREL_ICO}")

# Icon, version and the manifest with the UTF-8 code page, for a program;
# window programs also get wx's resources.
set(VANTREL_MANIFEST "${PROJECT_SOURCE_DIR}/resources/windows/vantrel.manifest")
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/vantrel.rc.in ${CMAKE_BINARY_DIR}/vantrel.rc @ONLY)
function(vantrel_windows_resources target)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/vantrel.rc)
  add_dependencies(${target} vantrel-icon)
  get_target_property(is_window ${target} WIN32_EXECUTABLE)
  if(is_window)
    target_compile_definitions(${target} PRIVATE VANTREL_WINDOW_PROGRAM)
  endif()
  set_property(SOURCE ${CMAKE_BINARY_DIR}/vantrel.rc APPEND PROPERTY OBJECT_DEPENDS "${VANTREL_ICO}")
endfunction()

# Every program in one folder with the libcurl DLL and the two it needs, and
# the fields' narrow font, as
# the installation lays them out.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
set(VANTREL_RUNTIME_DLLS "${VANTREL_CURL_DLL}" /usr/x86_64-w64-mingw32/lib/zlib1.dll
    /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll
    /usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf)
file(COPY ${VANTREL_RUNTIME_DLLS} DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
