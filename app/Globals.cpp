// Every global object of the game, in one translation unit so that they are
// built in this order before the entry runs and destroyed in the reverse
// order after it ends (also after a failed start-up): input devices first,
// then the display, then the sound device.
#include "app/Globals.h"

std::int16_t windowedMode;

AppWindow appWindow;
SoundSystem soundSystem;
Graphics graphics;
InputDevices inputDevices;
KeyBindings keyBindings;
Player player;
Arena arena;
BlitSize blitSize;
