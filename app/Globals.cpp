// Every global object of the game, one per subsystem, each declared in its
// subsystem's header. They live in this one translation unit so that they are
// built in this order before the entry runs and destroyed in the reverse
// order after it ends (also after a failed start-up): input devices first,
// then the display, then the sound device.
#include "app/AppWindow.h"
#include "arena/Arena.h"
#include "input/InputDevices.h"
#include "input/KeyBindings.h"
#include "player/Player.h"
#include "sound/SoundSystem.h"
#include "video/Graphics.h"

std::int16_t windowedMode;

AppWindow appWindow;
SoundSystem soundSystem;
Graphics graphics;
InputDevices inputDevices;
KeyBindings keyBindings;
Player player;
Arena arena;
BlitSize blitSize;
