#include "app/Game.h"

#include <cstdlib>

#include "app/AppWindow.h"
#include "app/Random.h"
#include "arena/Arena.h"
#include "input/InputDevices.h"
#include "input/KeyBindings.h"
#include "player/Player.h"
#include "sound/SoundSystem.h"
#include "video/Graphics.h"

bool showStartupFailure(const char* message) {
  platform::messageBox(message, errorCaption, platform::MB_OK);
  return false;
}

void advanceGame() {
  Arena::update();
  if (keyBindings.regeneratePressed()) arena.generate();
  if (keyBindings.bombPressed()) {
    const CellPosition at = player.cell();
    if (Arena::grid[at.column][at.row].type == cellEmpty)
      placeBomb(static_cast<std::int8_t>(at.column),
                static_cast<std::int8_t>(at.row), 2);
  }
  player.animateWalk();
  movePlayer();
}

void drawFrame() {
  arena.drawLayout();
  arena.drawCells();
  arena.drawStatusBar();
  player.draw();
}

void framePass() {
  advanceGame();
  drawFrame();
  graphics.present();
}

int winMain(platform::Handle instance, bool windowed) {
  windowedMode = windowed ? 1 : 0;
  appWindow.create(instance);
  if (!soundSystem.init()) std::exit(failedStartStatus);
  if (!inputDevices.init()) std::exit(failedStartStatus);
  if (!graphics.init()) std::exit(failedStartStatus);
  runtime::srand(platform::getTickCount());
  player.loadFrames();
  arena.tileSet.load();
  graphics.clearComposition();
  arena.generate();
  arena.drawLayout();
  arena.drawCells();
  graphics.present();
  graphics.copyFrontToBack();

  if (!keyBindings.quitPressed()) {
    do {
      if (appWindow.quit) break;
      framePass();
    } while (!keyBindings.quitPressed());
  }
  return static_cast<int>(appWindow.lastMessage.wParam);
}
