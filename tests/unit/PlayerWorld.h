// A known world for the player's tests: the level as the first generation
// leaves it (start cells turned to floor) with no blocks at all, the player
// where the test puts it, and the arrow keys on the scripted keyboard. Every
// test gets the layout, the grid and the player back as they were.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "arena/Arena.h"
#include "input/InputDevices.h"
#include "platform/fake/FakePlatform.h"
#include "player/Player.h"

class PlayerWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    fake::state().focus = true;  // the keyboard is read in the foreground
    inputDevices.init();
    std::memcpy(savedLayout, Arena::layout(), sizeof savedLayout);
    std::memcpy(savedGrid, Arena::grid, sizeof savedGrid);
    savedPlayer = player;
    for (auto& row : Arena::layout())
      for (auto& value : row)
        if (value == layoutReserved) value = layoutFloor;
    std::memset(Arena::grid, 0, sizeof Arena::grid);
    player.facing = facingDown;
    player.walkFrame = 0;
    player.walkDelay = 0;
  }

  void TearDown() override {
    inputDevices.release();
    std::memcpy(Arena::layout(), savedLayout, sizeof savedLayout);
    std::memcpy(Arena::grid, savedGrid, sizeof savedGrid);
    player = savedPlayer;
    fake::reset();
  }

  static void placeAt(int x, int y) {
    player.x = x;
    player.y = y;
  }
  // Pixel position of the rest position on cell (column, row).
  static int restX(int column) { return 24 + 16 * column; }
  static int restY(int row) { return 23 + 16 * row; }

  static void put(int column, int row, std::int8_t type) {
    Arena::grid[column][row].type = type;
  }

  // Holds exactly these keys from now on.
  static void hold(const std::vector<int>& keys) {
    std::memset(fake::state().keys, 0, sizeof fake::state().keys);
    for (int key : keys) fake::pressKey(key);
  }
  static void releaseAll() { hold({}); }

  // The player's share of one pass of the frame loop.
  static void pass(int times = 1) {
    for (int i = 0; i < times; ++i) {
      player.animateWalk();
      movePlayer();
    }
  }

  LevelLayout savedLayout;
  Cell savedGrid[arenaColumns][arenaRows];
  Player savedPlayer;
};
