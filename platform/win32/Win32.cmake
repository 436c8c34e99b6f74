# The game for Windows (the MinGW-w64 toolchain, cmake/mingw-w64.cmake): one
# statically linked fusebound.exe on the Windows side, and the download,
# build/windows/fusebound-<version>-win64.zip, holding it with data/,
# LICENSE and README.txt in one folder.
set(FUSEBOUND_WINDOWS_OUTPUT "${CMAKE_SOURCE_DIR}/build/windows" CACHE PATH
  "Where the Windows program and its zip go")

file(GLOB FUSEBOUND_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/common/memory/*.cpp)
add_executable(fusebound WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp
  ${FUSEBOUND_WIN32_SOURCES} ${FUSEBOUND_COMMON_SOURCES})
target_include_directories(fusebound PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(fusebound PRIVATE fusebound_game gdi32 user32 winmm)
# No DLL to ship: the C and C++ runtimes and winpthreads go into the program.
target_link_options(fusebound PRIVATE -static -s)

set(FUSEBOUND_ZIP_NAME fusebound-${PROJECT_VERSION}-win64)
set(stage ${FUSEBOUND_WINDOWS_OUTPUT}/${FUSEBOUND_ZIP_NAME})
set(zip ${FUSEBOUND_WINDOWS_OUTPUT}/${FUSEBOUND_ZIP_NAME}.zip)
file(GLOB FUSEBOUND_DATA_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${zip}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/data
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:fusebound> ${stage}/fusebound.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${FUSEBOUND_DATA_FILES} ${stage}/data/
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${stage}/LICENSE
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/platform/win32/README.txt
    ${stage}/README.txt
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${FUSEBOUND_ZIP_NAME}
  WORKING_DIRECTORY ${FUSEBOUND_WINDOWS_OUTPUT}
  DEPENDS fusebound ${FUSEBOUND_DATA_FILES} ${CMAKE_SOURCE_DIR}/LICENSE
    ${CMAKE_SOURCE_DIR}/platform/win32/README.txt
  COMMENT "Packing ${FUSEBOUND_ZIP_NAME}.zip")
add_custom_target(windows_zip ALL DEPENDS ${zip})
