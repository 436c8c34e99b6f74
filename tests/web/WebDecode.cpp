// Reads the game's picture off a screenshot with the end-to-end decoder,
// and prints what it shows as one line of JSON for the browser suite: the
// arena cell by cell, the player, the status bar, the pause message. The
// screenshot is of the canvas alone, at whatever whole scale the page gave
// it, or of the page with the canvas at (x, y) in device pixels, `width`
// wide.
//
//   web_decode <data dir> <screenshot.png> [x y width]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/xharness/Image.h"
#include "tests/xharness/ScreenDecoder.h"

using namespace xharness;

int main(int argc, char** argv) {
  if (argc != 3 && argc != 6) {
    std::fprintf(stderr,
                 "usage: web_decode <data dir> <screenshot.png> [x y width]\n");
    return 2;
  }
  Artwork art;
  std::string error;
  if (!art.load(argv[1], &error)) {
    std::fprintf(stderr, "web_decode: %s\n", error.c_str());
    return 2;
  }
  const Screenshot shot = readPng(argv[2], &error);
  if (shot.empty()) {
    std::fprintf(stderr, "web_decode: %s\n", error.c_str());
    return 2;
  }
  const bool placed = argc == 6;
  const int x = placed ? std::atoi(argv[3]) : 0;
  const int y = placed ? std::atoi(argv[4]) : 0;
  const int width = placed ? std::atoi(argv[5]) : shot.width;
  const int scale = width / pictureWidth;
  if (scale < 1 || width != scale * pictureWidth ||
      (!placed && shot.height != scale * pictureHeight)) {
    std::printf("{\"picture\":false,\"width\":%d,\"height\":%d}\n", shot.width,
                shot.height);
    return 0;
  }
  const std::optional<Picture> picture = extractPicture(shot, x, y, scale);
  if (!picture) {
    std::printf("{\"picture\":false}\n");
    return 0;
  }
  const ArenaView view = decode(*picture, art);
  std::string pieces, hidden, layout, map = view.map();
  int cornersEmpty = 0;
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      const CellView& cell = view.cell(c, r);
      const char* comma = pieces.empty() ? "" : ",";
      pieces += comma + std::to_string(cell.piece());
      hidden += comma + std::to_string(cell.hiddenPixels);
      layout += comma + std::to_string(layoutTile(c, r));
      if (isStartCorner(c, r) &&
          (cell.isEmpty() || (cell.hiddenPixels > 0 && cell.couldBeEmpty())))
        ++cornersEmpty;
    }
  for (char& ch : map)
    if (ch == '\n') ch = '/';
  std::printf(
      "{\"picture\":true,\"scale\":%d,\"unevenBlocks\":%d,"
      "\"layoutShown\":%s,\"statusBar\":%s,\"paused\":%s,"
      "\"pauseTextPixels\":%d,\"blocks\":%d,\"cornersEmpty\":%d,"
      "\"player\":{\"found\":%s,\"x\":%d,\"y\":%d,\"column\":%d,\"row\":%d,"
      "\"frame\":%d},"
      "\"pieces\":[%s],\"hidden\":[%s],\"layout\":[%s],\"map\":\"%s\"}\n",
      scale, picture->unevenBlocks, view.layoutShown ? "true" : "false",
      view.statusBar ? "true" : "false", view.paused() ? "true" : "false",
      view.pauseTextPixels, view.blockCount(), cornersEmpty,
      view.player.found ? "true" : "false", view.player.x, view.player.y,
      view.player.column(), view.player.row(), view.player.frame,
      pieces.c_str(), hidden.c_str(), layout.c_str(), map.c_str());
  return 0;
}
