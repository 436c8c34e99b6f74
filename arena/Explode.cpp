// A bomb going off: a centre flame on its cell and four arms along its row
// and column, each as long as the bomb's power. Arms stop at walls and
// pillars, break the first block they meet, and set off every bomb they reach,
// which explodes completely (its own chains included) before the arm goes on.
#include "arena/Arena.h"

namespace {

struct ArmDirection {
  std::int8_t columnStep;
  std::int8_t rowStep;
  std::int8_t middle;
  std::int8_t end;
};

// In the order the arms run.
constexpr ArmDirection arms[4] = {
    {-1, 0, flameHorizontal, flameLeftEnd},
    {1, 0, flameHorizontal, flameRightEnd},
    {0, -1, flameVertical, flameTopEnd},
    {0, 1, flameVertical, flameBottomEnd},
};

}  // namespace

void explode(std::int8_t column, std::int8_t row) {
  // The power first: the centre flame is written over the bomb's cell.
  const std::int8_t power = Arena::grid[column][row].power;
  setFlame(Arena::grid[column][row], flameCentre);

  // Every bomb is a centre before its arms run and a centre is never set off
  // again, so the recursion is at most as deep as the number of bombs.
  for (const ArmDirection& arm : arms) {
    for (int distance = 1; distance <= power; ++distance) {
      const int targetColumn = column + arm.columnStep * distance;
      const int targetRow = row + arm.rowStep * distance;
      // Past the edge of the grid counts as wall: the stored layout's border
      // never lets an arm get there, but an arm must not leave the grid.
      if (targetColumn < 0 || targetColumn >= arenaColumns || targetRow < 0 ||
          targetRow >= arenaRows)
        break;
      if (Arena::layout()[targetRow][targetColumn] != layoutFloor) break;

      Cell& target = Arena::grid[targetColumn][targetRow];
      const bool last = distance == power;
      const std::int8_t type = target.type;
      if (type == cellBlock) {
        startCrumbling(static_cast<std::int8_t>(targetColumn),
                       static_cast<std::int8_t>(targetRow));
        break;
      }
      if (type == cellCrumbling) break;
      if (type == cellBomb) {
        explode(static_cast<std::int8_t>(targetColumn),
                static_cast<std::int8_t>(targetRow));
        continue;
      }
      if (type == flameCentre) continue;
      if (type == flameHorizontal || type == flameVertical) {
        if (!last) setFlame(target, arm.middle);
        continue;
      }
      setFlame(target, last ? arm.end : arm.middle);
    }
  }
}
