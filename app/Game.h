// The entry of the game: start-up, the frame loop and the exit status.
#pragma once

#include "platform/Platform.h"

// The exit status of a failed start-up, so that whatever started the game can
// tell it from a game the player ended.
inline constexpr int failedStartStatus = 1;

// The caption of the message box that tells the player why the game could
// not start.
inline constexpr const char* errorCaption = "Error, Quiting..";

// Shows a start-up failure's message box with errorCaption. Returns false, so
// that a failing step can end with `return showStartupFailure(...)`.
bool showStartupFailure(const char* message);

// Runs the game, in a window when `windowed` (the command line's --window),
// else full screen; returns the exit status (the wParam of the last message
// taken off the queue). A failed start-up ends the process from inside, with
// failedStartStatus, after its message box and the release of what exists.
int winMain(platform::Handle instance, bool windowed = false);

// One pass of the frame loop after the quit-flag test: advanceGame,
// drawFrame, then the presentation.
void framePass();
// The arena advances one step, then the controls are acted on: regenerate,
// lay a bomb, walk.
void advanceGame();
// The four layers onto the composition surface: layout, cells, status bar,
// player.
void drawFrame();
