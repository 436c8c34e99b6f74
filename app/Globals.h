// The game's global objects, one per subsystem. They are all defined in
// app/Globals.cpp, in the order in which they must be built; they are torn
// down in the reverse order.
#pragma once

#include "app/AppWindow.h"
#include "arena/Arena.h"
#include "input/InputDevices.h"
#include "input/KeyBindings.h"
#include "player/Player.h"
#include "sound/SoundSystem.h"
#include "video/Graphics.h"

extern AppWindow appWindow;
extern SoundSystem soundSystem;
extern Graphics graphics;
extern InputDevices inputDevices;
extern KeyBindings keyBindings;
extern Player player;
extern Arena arena;
extern BlitSize blitSize;
