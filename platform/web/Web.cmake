# The game for the browser: WebAssembly and its loader script, the packed
# picture files and the page, together in one static folder.
set(FUSEBOUND_WEB_OUTPUT "${CMAKE_SOURCE_DIR}/build/web" CACHE PATH
  "Where the page, its script, the WebAssembly module and the data go")

file(GLOB FUSEBOUND_WEB_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/web/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/common/memory/*.cpp)
add_executable(fusebound ${CMAKE_SOURCE_DIR}/app/main.cpp
  ${FUSEBOUND_WEB_SOURCES} ${FUSEBOUND_COMMON_SOURCES})
target_link_libraries(fusebound PRIVATE fusebound_game)
# The game's entry keeps its code; platform/web/Entry.cpp calls it.
set_source_files_properties(${CMAKE_SOURCE_DIR}/app/main.cpp PROPERTIES
  COMPILE_DEFINITIONS main=gameMain)
set_target_properties(fusebound PROPERTIES
  SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY ${FUSEBOUND_WEB_OUTPUT})

# The calls of library.js that wait: the game's loop is suspended in them
# (Asyncify) while the browser runs.
set(FUSEBOUND_WEB_WAITS
  fbweb_waitMessage fbweb_waitInput fbweb_nextAnimationFrame fbweb_messageBox)
list(JOIN FUSEBOUND_WEB_WAITS "\",\"" waits)
set(library ${CMAKE_SOURCE_DIR}/platform/web/library.js)
target_link_options(fusebound PRIVATE
  -sASYNCIFY
  "-sASYNCIFY_IMPORTS=[\"${waits}\"]"
  -sASYNCIFY_STACK_SIZE=65536
  -sENVIRONMENT=web
  -sEXIT_RUNTIME=1
  -sINITIAL_MEMORY=33554432
  -sFILESYSTEM=1
  --js-library ${library}
  --preload-file ${CMAKE_SOURCE_DIR}/data@/data)
set_property(TARGET fusebound APPEND PROPERTY LINK_DEPENDS ${library}
  ${CMAKE_SOURCE_DIR}/data/player.raw ${CMAKE_SOURCE_DIR}/data/tiles.raw
  ${CMAKE_SOURCE_DIR}/data/top.raw)

# The page, its scripts and styles with the build's version in the
# addresses of the files it loads, the manifest and icons of the installed
# page, and the service worker that keeps the build for playing offline.
set(page ${CMAKE_SOURCE_DIR}/platform/web)
set(pageFiles index.html page.js page.css touch.js touch.css offline.js
  fusebound.webmanifest sw.js.in)
list(TRANSFORM pageFiles PREPEND ${page}/)
add_custom_command(
  OUTPUT ${FUSEBOUND_WEB_OUTPUT}/index.html ${FUSEBOUND_WEB_OUTPUT}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${page} -DOUTPUT=${FUSEBOUND_WEB_OUTPUT}
    -DICONS=${CMAKE_SOURCE_DIR}/dist/icons -DVERSION=${PROJECT_VERSION}
    -P ${page}/StampPage.cmake
  DEPENDS fusebound ${page}/StampPage.cmake ${pageFiles}
    ${CMAKE_SOURCE_DIR}/dist/icons/192x192/apps/fusebound.png
    ${CMAKE_SOURCE_DIR}/dist/icons/512x512/apps/fusebound.png
  COMMENT "Writing the page")
add_custom_target(fusebound_page ALL DEPENDS ${FUSEBOUND_WEB_OUTPUT}/index.html)
