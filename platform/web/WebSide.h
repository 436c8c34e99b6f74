// What the parts of the browser side share. Only platform/web/ includes
// this.
#pragma once

#include "platform/web/KeyCodes.h"

namespace platform::web {

// True once the window was destroyed (a close request reached the default
// handling): drawing and presenting stop.
bool windowDestroyed();

// The game waited for the browser (a frame, a message): the device reads
// since then are not a wait of their own.
void waited();

}  // namespace platform::web
