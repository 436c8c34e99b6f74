# Writes the page into the web folder with the build's version in the
# addresses of the files it loads: the game's version and a hash of the
# files themselves, so that any change to any of them gives new addresses.
#
#   cmake -DSOURCE=platform/web -DOUTPUT=build/web -DVERSION=1.0.0 -P StampPage.cmake
foreach(file page.js page.css)
  configure_file(${SOURCE}/${file} ${OUTPUT}/${file} COPYONLY)
endforeach()
set(hashes "")
foreach(file fusebound.js fusebound.wasm fusebound.data page.js page.css)
  file(SHA256 ${OUTPUT}/${file} hash)
  string(APPEND hashes "${hash}\n")
endforeach()
string(SHA256 combined "${hashes}")
string(SUBSTRING ${combined} 0 12 combined)
set(FUSEBOUND_WEB_VERSION "${VERSION}-${combined}")
configure_file(${SOURCE}/index.html ${OUTPUT}/index.html @ONLY)
