// Pictures of the pictures: an enlarged sheet of every tile, player frame and
// the status bar, and a mock 320x240 arena scene, written as PNG files.
#pragma once

#include <filesystem>

#include "Pictures.h"

namespace pictures {

// Every tile and player frame labelled with its index, the flame cross in
// each of its four frames, and the status bar; enlarged 4 times.
Image previewSheet(const PictureSet& set);

// The game's 320x240 picture of a small arena: walls, pillars, blocks, a
// crumbling block, a bomb, a cross of flames, the player and the status bar.
Image arenaScene(const PictureSet& set);

Image enlarge(const Image& image, int factor);

// Throws std::runtime_error when the file cannot be written or read.
void writePng(const std::filesystem::path& path, const Image& image);
Image readPng(const std::filesystem::path& path);

}  // namespace pictures
