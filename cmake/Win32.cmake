# The Windows build (cmake/mingw-w64.cmake): the Win32 host and velmo.exe,
# velmo-cli.exe, and the unit tests of the data and toolkit layers, run
# under wine. Included from the top CMakeLists.txt after the layers.

set(VELMO_LINUX_BUILD "" CACHE PATH
    "the Linux build folder: its Shift-JIS table, and velmo-headless and velmo-cli for the window test")

# The Win32 host: the shared key queue and key names of host/common and the window, GDI
# glyphs and input method of host/win32.
add_library(velmo_host_win32 STATIC ${CMAKE_SOURCE_DIR}/src/host/common/Host.cpp
            ${CMAKE_SOURCE_DIR}/src/host/common/HostKeys.cpp)
velmo_sources(win32_host_srcs src/host/win32)
target_sources(velmo_host_win32 PRIVATE ${win32_host_srcs})
velmo_layer_headers(velmo_host_win32 src/host/common src/host/win32)
target_link_libraries(velmo_host_win32 PUBLIC velmo_graphics velmo_calendar Threads::Threads gdi32 user32 imm32)
velmo_warnings(velmo_host_win32)

# The icon (Velmo's own 16 x 16 icon and its enlargements) and the menu.
enable_language(RC)
add_executable(velmo WIN32 ${CMAKE_SOURCE_DIR}/src/programs/velmo-win32.cpp ${CMAKE_SOURCE_DIR}/src/host/win32/velmo.rc)
target_include_directories(velmo PRIVATE ${CMAKE_SOURCE_DIR}/src/host/win32)
target_link_libraries(velmo PRIVATE velmo_app velmo_options velmo_host_win32)
velmo_warnings(velmo)

# Without the iCalendar commands: libical is packaged for Linux only.
velmo_sources(cli_srcs tools/velmo-cli tools/velmo-cli/win32)
list(FILTER cli_srcs EXCLUDE REGEX "/(ExportIcs|ImportIcs|Ics[A-Za-z]+|Sync[A-Za-z]*)\\.cpp$")
add_executable(velmo-cli ${CMAKE_SOURCE_DIR}/tools/velmo-cli/main.cpp ${cli_srcs})
# The Shift-JIS table the Linux build takes from the C library's converter
# (make win32 has it generated there first).
target_include_directories(velmo-cli PRIVATE ${CMAKE_SOURCE_DIR}/tools/velmo-cli ${VELMO_LINUX_BUILD}/generated)
target_link_libraries(velmo-cli PRIVATE velmo_data velmo_options)
target_compile_definitions(velmo-cli PRIVATE VELMO_RELEASE="${PROJECT_VERSION}")
velmo_warnings(velmo-cli)

if(NOT VELMO_TESTS)
  return()
endif()

# Debian's libgtest-dev is built for Linux; GoogleTest is built here from
# Debian's source package (googletest).
set(VELMO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VELMO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
enable_testing()

# The wine prefix of this build, made once per run before the first program.
add_test(NAME Win32_WinePrefix COMMAND ${CMAKE_SOURCE_DIR}/tests/win32/wine-run --prefix-only)
set(VELMO_WINE_ENV VELMO_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(Win32_WinePrefix PROPERTIES FIXTURES_SETUP wine SKIP_RETURN_CODE 77 TIMEOUT 120
                     ENVIRONMENT ${VELMO_WINE_ENV})

# One test per binary: a wine start costs more than the tests it runs.
function(velmo_win32_tests name)
  cmake_parse_arguments(T "" "" "DIRS;LIBS" ${ARGN})
  velmo_sources(srcs ${T_DIRS})
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    VELMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELMO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  velmo_warnings(${name})
  add_test(NAME Win32_${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(Win32_${name} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77 TIMEOUT 120
                       ENVIRONMENT ${VELMO_WINE_ENV})
endfunction()
velmo_win32_tests(data_tests DIRS tests/text tests/calendar tests/store tests/files LIBS velmo_data velmo_platform)

# The toolkit's tests on the headless host's virtual clock and key queue,
# with the Win32 glyph source.
add_library(velmo_host_headless STATIC ${CMAKE_SOURCE_DIR}/src/host/headless/Headless.cpp)
velmo_layer_headers(velmo_host_headless src/host/headless)
target_link_libraries(velmo_host_headless PUBLIC velmo_host_win32)
velmo_warnings(velmo_host_headless)
velmo_win32_tests(toolkit_tests DIRS tests/toolkit tests/host/win32 LIBS velmo_toolkit velmo_host_headless)

# velmo.exe under wine on a private X server, checked against the Linux
# build's velmo-headless and velmo-cli (VELMO_LINUX_BUILD).
# post_text types through WM_CHAR what the X keymap lacks.
add_executable(post_text ${CMAKE_SOURCE_DIR}/tests/win32/post_text.cpp)
velmo_warnings(post_text)
add_test(NAME Win32_WindowRun
         COMMAND ${CMAKE_SOURCE_DIR}/tests/win32/window-run $<TARGET_FILE:velmo> "${VELMO_LINUX_BUILD}"
                 $<TARGET_FILE:post_text>)
# Alone: a wine session begun by a program without a display cannot show
# windows, so this test starts its own session on its own X server.
set_tests_properties(Win32_WindowRun PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77 TIMEOUT 240
                     RUN_SERIAL ON ENVIRONMENT ${VELMO_WINE_ENV})
