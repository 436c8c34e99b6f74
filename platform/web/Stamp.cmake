# Names a build of the page after what it ships, and writes its service
# worker: the build is the first 16 hex digits of the SHA-256 of the page's
# files, each named and in order, and the worker keeps those files.
#
#   cmake -DSITE=<build/web> -DTEMPLATE=<sw.js.in> -P Stamp.cmake
file(GLOB names RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names sw.js)
list(SORT names)
set(files "")
set(digests "")
foreach(name ${names})
  if(IS_DIRECTORY ${SITE}/${name})
    continue()
  endif()
  file(SHA256 ${SITE}/${name} digest)
  string(APPEND digests "${name} ${digest}\n")
  list(APPEND files "'${name}'")
endforeach()
string(SHA256 all "${digests}")
string(SUBSTRING ${all} 0 16 FUSEBOUND_BUILD)
list(JOIN files ", " FUSEBOUND_FILES)
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
