# Writes the page into the web folder with the build's version in the
# addresses of the files it loads: the game's version and a hash of the
# files themselves (and of the page and its service worker as written), so
# that any change to any of them gives new addresses. Then the icons of the
# installed page, and the service worker, which keeps this build's files in
# a cache named after its version.
#
#   cmake -DSOURCE=platform/web -DOUTPUT=build/web -DICONS=dist/icons
#         -DVERSION=1.0.0 -P StampPage.cmake
set(copied page.js page.css touch.js touch.css offline.js fusebound.webmanifest)
foreach(file ${copied})
  configure_file(${SOURCE}/${file} ${OUTPUT}/${file} COPYONLY)
endforeach()
foreach(size 192 512)
  configure_file(${ICONS}/${size}x${size}/apps/fusebound.png
    ${OUTPUT}/icon-${size}.png COPYONLY)
endforeach()
# Loaded at the version; the icons are named by the manifest, as they are.
set(versioned fusebound.js fusebound.wasm fusebound.data ${copied})
set(hashes "")
foreach(file ${versioned} icon-192.png icon-512.png)
  file(SHA256 ${OUTPUT}/${file} hash)
  string(APPEND hashes "${hash}\n")
endforeach()
foreach(file index.html sw.js.in)
  file(SHA256 ${SOURCE}/${file} hash)
  string(APPEND hashes "${hash}\n")
endforeach()
string(SHA256 combined "${hashes}")
string(SUBSTRING ${combined} 0 12 combined)
set(FUSEBOUND_WEB_VERSION "${VERSION}-${combined}")
configure_file(${SOURCE}/index.html ${OUTPUT}/index.html @ONLY)

set(files "'index.html'" "'icon-192.png'" "'icon-512.png'")
foreach(file ${versioned})
  list(APPEND files "'${file}?v=${FUSEBOUND_WEB_VERSION}'")
endforeach()
list(JOIN files ",\n  " FUSEBOUND_WEB_FILES)
configure_file(${SOURCE}/sw.js.in ${OUTPUT}/sw.js @ONLY)
