// The entry of the game: start-up, the frame loop and the exit status.
#pragma once

#include "platform/Platform.h"

// 1 windowed, 0 full screen. The entry sets it once, to the value this build
// was configured with.
extern std::int16_t windowedMode;

// The exit status of a failed start-up, so that whatever started the game can
// tell it from a game the player ended.
inline constexpr int failedStartStatus = 1;

// Runs the game; returns the exit status (the wParam of the last message
// taken off the queue). A failed start-up ends the process from inside, with
// failedStartStatus, after its message box and the release of what exists.
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
