// The entry of the game: start-up, the frame loop and the exit status.
#pragma once

#include "platform/Platform.h"

// 1 windowed, 0 full screen. The entry sets it once, to the value this build
// was configured with.
extern std::int16_t windowedMode;

// Runs the game; returns the exit status (the wParam of the last message
// taken off the queue). A failed start-up ends the process with status 0
// from inside.
int winMain(platform::Handle instance);

// One pass of the frame loop after the quit-flag test: advanceGame,
// drawFrame, then the presentation.
void framePass();
// The arena advances one step, then the controls are acted on: regenerate,
// lay a bomb, walk.
void advanceGame();
// The four layers onto the composition surface: layout, cells, status bar,
// player.
void drawFrame();
