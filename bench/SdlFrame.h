// The same frame composed the way an SDL game would compose it: the game's
// pictures copied into SDL surfaces in RGB565 (the tiles and the player's
// frames with colour key 0, optionally run-length encoded), drawn onto a
// 640 by 960 RGB565 surface with SDL_BlitSurface, in the game's order.
#pragma once

#include <SDL.h>

namespace bench {

struct SdlPictures {
  SDL_Surface* composition;
  SDL_Surface* tiles[40];
  SDL_Surface* statusBar;  // no key: the status bar is copied opaque
  SDL_Surface* frames[44];
};

// Made from the game's own surfaces, so startGame() must have run.
SdlPictures makeSdlPictures(bool runLengthEncoded);

void drawSdlLayers(const SdlPictures& pictures);
// Arena::update, then the four layers through SDL.
void sdlFrame(const SdlPictures& pictures);

}  // namespace bench
