# The browser build (cmake/emscripten.cmake): the web host and velmo.js,
# velmo.wasm, velmo.data (the glyph table) and index.html in the build
# folder. Included from the top CMakeLists.txt after the layers. The Linux
# build (VELMO_LINUX_BUILD) makes the Shift-JIS and glyph tables first.

# The web host: the shared key queue and key names of host/common, and the
# canvas, glyph table and storage of host/web.
add_library(velmo_host_web STATIC ${CMAKE_SOURCE_DIR}/src/host/common/Host.cpp
            ${CMAKE_SOURCE_DIR}/src/host/common/HostKeys.cpp)
velmo_sources(web_host_srcs src/host/web)
target_sources(velmo_host_web PRIVATE ${web_host_srcs})
velmo_layer_headers(velmo_host_web src/host/common src/host/web)
target_link_libraries(velmo_host_web PUBLIC velmo_graphics velmo_calendar)
# The storage's flush follows every save through the platform layer's hook.
target_link_libraries(velmo_host_web PRIVATE velmo_platform)
velmo_warnings(velmo_host_web)

# velmo-cli's iCalendar import and export, for the page's buttons: the
# mapping velmo-cli runs, with the browser's time zones (tools/velmo-cli/web)
# in place of libical's.
velmo_sources(web_ics_srcs tools/velmo-cli)
list(FILTER web_ics_srcs INCLUDE REGEX "/(Ics[A-Za-z]+|ImportIcs|ExportIcs|CliData|Sjis)\\.cpp$")
list(FILTER web_ics_srcs EXCLUDE REGEX "/IcsZoneSource\\.cpp$")
add_library(velmo_ics_web STATIC ${web_ics_srcs} ${CMAKE_SOURCE_DIR}/tools/velmo-cli/web/IcsZoneSource.cpp)
target_include_directories(velmo_ics_web PUBLIC ${CMAKE_SOURCE_DIR}/tools/velmo-cli PRIVATE ${VELMO_GENERATED})
target_link_libraries(velmo_ics_web PUBLIC velmo_data velmo_options)
velmo_warnings(velmo_ics_web)
target_compile_options(velmo_ics_web PRIVATE -Os)

# The imports that wait for the browser: a key or a time-out, and the
# storage's flush after a save.
set(VELMO_WEB_ASYNC "['velmo_web_wait','velmo_web_flush']")
add_executable(velmo-web ${CMAKE_SOURCE_DIR}/src/programs/velmo-web.cpp)
target_link_libraries(velmo-web PRIVATE velmo_app velmo_host_web velmo_ics_web)
velmo_warnings(velmo-web)
set_target_properties(velmo-web PROPERTIES OUTPUT_NAME velmo SUFFIX .js)
set(VELMO_GLYPHS ${VELMO_LINUX_BUILD}/generated/glyphs.bin)
target_link_options(velmo-web PRIVATE
  -sASYNCIFY "-sASYNCIFY_IMPORTS=${VELMO_WEB_ASYNC}" -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -lidbfs.js
  "-sEXPORTED_RUNTIME_METHODS=['FS','IDBFS','addRunDependency','removeRunDependency']"
  --preload-file ${VELMO_GLYPHS}@/glyphs.bin)
set_property(TARGET velmo-web APPEND PROPERTY LINK_DEPENDS ${VELMO_GLYPHS})
configure_file(${CMAKE_SOURCE_DIR}/src/host/web/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/host/web/page.js ${CMAKE_BINARY_DIR}/page.js COPYONLY)

if(NOT VELMO_TESTS)
  return()
endif()

# The page in a headless Chromium over the DevTools protocol (Debian's
# python3 with python3-websocket), checked against the Linux build's
# velmo-headless and velmo-cli; it leaves the page's picture in web-shot.png.
enable_testing()
add_test(NAME Web_Browser
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/web/browser_test.py
                 ${CMAKE_BINARY_DIR} ${VELMO_LINUX_BUILD} ${CMAKE_BINARY_DIR}/web-shot.png)
# The Linux programs it runs for comparison keep their files in the test's folders.
set_tests_properties(Web_Browser PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
                     ENVIRONMENT "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data-home"
                     ENVIRONMENT_MODIFICATION "XDG_STATE_HOME=set:${CMAKE_BINARY_DIR}/test-state")
