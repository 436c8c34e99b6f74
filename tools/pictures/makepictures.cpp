// makepictures <repository-root>: regenerates data/player.raw, data/tiles.raw
// and data/top.raw from the text pixel maps in assets/, and writes
// docs/pictures-preview.png (every picture, enlarged and labelled) and
// docs/pictures-scene.png (a mock arena as the game shows it, enlarged 3
// times), and the icons in dist/icons/.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "Icon.h"
#include "Pictures.h"
#include "Preview.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <repository-root>\n", argv[0]);
    return 2;
  }
  std::filesystem::path root = argv[1];
  try {
    pictures::PictureSet set = pictures::loadPictures(root);
    std::filesystem::create_directories(root / "data");
    std::filesystem::create_directories(root / "docs");
    pictures::writeFile(root / pictures::playerRawPath,
                        pictures::toRaw(set.player));
    pictures::writeFile(root / pictures::tilesRawPath,
                        pictures::toRaw(set.tiles));
    pictures::writeFile(root / pictures::statusBarRawPath,
                        pictures::toRaw(set.statusBar));
    pictures::writePng(root / "docs/pictures-preview.png",
                       pictures::previewSheet(set));
    pictures::writePng(root / "docs/pictures-scene.png",
                       pictures::enlarge(pictures::arenaScene(set), 3));
    for (int size : pictures::iconSizes) {
      const std::filesystem::path icon = root / pictures::iconPath(size);
      std::filesystem::create_directories(icon.parent_path());
      pictures::writeRgbaPng(icon, pictures::iconImage(set, size));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "makepictures: %s\n", error.what());
    return 1;
  }
  return 0;
}
