#include "tests/fuzz/GameDriver.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/AppWindow.h"
#include "app/Game.h"
#include "app/Random.h"
#include "arena/Arena.h"
#include "input/InputDevices.h"
#include "input/KeyBindings.h"
#include "platform/fake/FakePlatform.h"
#include "player/Player.h"
#include "tests/support/ArenaInvariants.h"
#include "tests/support/WindowedRun.h"
#include "video/Graphics.h"

namespace reliability {
namespace {

// Beyond these counts within one frame the game is taken to hang: a wait
// that never ends (the regenerate wait, the pause).
constexpr int readsPerFrameLimit = 100000;
constexpr int waitsPerFrameLimit = 10000;

// What the current record holds down, and the machine's pending events.
struct Hands {
  bool right = false, left = false, up = false, down = false;
  bool bomb = false, escape = false;
  bool stick = false;  // directions from the joystick
  bool buttonTwo = false;
  int deflection = 0;
  int enterReads = 0;             // reads that still see Enter down
  int enterReadsToFocusLoss = 0;  // Enter held until the focus goes
  int buttonThreePolls = 0;       // polls that still see button 3 down
  int pauseWaits = 0;             // waits before the focus comes back
  bool closeWhenPaused = false;
};

Hands hands;
Stats* current = nullptr;
int readsThisFrame = 0;
int pollsThisFrame = 0;
int waitsThisFrame = 0;
LevelLayout pristineLayout;
int drawingPeriod = 1;
FrameHook frameHook = nullptr;

void defaultFailure(const char* what, const Stats& stats) {
  std::fprintf(stderr, "broken after %llu frames (game %llu): %s\n",
               static_cast<unsigned long long>(stats.frames),
               static_cast<unsigned long long>(stats.games), what);
  std::abort();
}

FailureHandler failureHandler = defaultFailure;
Stats noStats;

void fail(const char* what) {
  failureHandler(what, current != nullptr ? *current : noStats);
}

void keyboard(std::uint8_t* keys) {
  if (++readsThisFrame > readsPerFrameLimit)
    fail("hang: the keyboard is read without end within one frame");
  std::memset(keys, 0, 256);
  if (!hands.stick) {
    if (hands.right) keys[DIK_RIGHT] = 0x80;
    if (hands.left) keys[DIK_LEFT] = 0x80;
    if (hands.up) keys[DIK_UP] = 0x80;
    if (hands.down) keys[DIK_DOWN] = 0x80;
  }
  if (hands.bomb) keys[DIK_R] = 0x80;
  if (hands.escape) keys[DIK_ESCAPE] = 0x80;
  if (hands.enterReads > 0) {
    keys[DIK_RETURN] = 0x80;
    --hands.enterReads;
  } else if (hands.enterReadsToFocusLoss > 0) {
    keys[DIK_RETURN] = 0x80;
    // The window loses the focus while Enter is still down; the player
    // lets go of it meanwhile.
    if (--hands.enterReadsToFocusLoss == 0) fake::loseFocus();
  }
}

void joystick(platform::DIJOYSTATE& state) {
  if (++pollsThisFrame > readsPerFrameLimit)
    fail("hang: the joystick is polled without end within one frame");
  state = platform::DIJOYSTATE{};
  if (hands.stick) {
    state.lX = hands.right  ? hands.deflection
               : hands.left ? -hands.deflection
                            : 0;
    state.lY = hands.up ? -hands.deflection : hands.down ? hands.deflection : 0;
  }
  if (hands.buttonTwo) state.rgbButtons[1] = 0x80;
  if (hands.buttonThreePolls > 0) {
    state.rgbButtons[2] = 0x80;
    --hands.buttonThreePolls;
  }
}

void waitWhilePaused() {
  if (++waitsThisFrame > waitsPerFrameLimit) fail("hang: the pause never ends");
  auto& s = fake::state();
  if (s.focus) return;
  if (hands.pauseWaits > 0) --hands.pauseWaits;
  if (hands.pauseWaits > 0) return;
  if (hands.closeWhenPaused) {
    hands.closeWhenPaused = false;
    fake::closeWindow();
  } else {
    fake::gainFocus();
  }
}

void shown(const std::uint16_t*) {
  if (current != nullptr) ++current->framesShown;
}

constexpr int deflections[4] = {19, 20, 21, 24};

void startEvent(int event, int argument, Stats& stats) {
  ++stats.events[event];
  auto& s = fake::state();
  switch (event) {
    case enterPressed:
      if (argument % 8 == 7)
        hands.enterReadsToFocusLoss = 3;
      else
        hands.enterReads = 1 + argument % 8;
      hands.pauseWaits = 1 + argument % 4;
      break;
    case buttonThreePressed:
      hands.buttonThreePolls = 1 + argument % 8;
      break;
    case escapePressed:
      hands.escape = true;
      break;
    case focusLost:
      fake::loseFocus();
      hands.pauseWaits = 1 + argument % 4;
      break;
    case closedWhilePaused:
      fake::loseFocus();
      hands.pauseWaits = 1 + argument % 4;
      hands.closeWhenPaused = true;
      break;
    case quitMessage:
      fake::post(platform::WM_QUIT, static_cast<platform::WPARAM>(argument));
      break;
    case closeRequest:
      fake::closeWindow();
      break;
    case surfacesLost:
      // Windowed there is no flip chain; the desktop is the SDL layer's
      // business.
      if (windowedMode == 0) s.backLost = s.primaryLost = true;
      break;
    case joystickPulled:
      s.joystickAttached = !s.joystickAttached;
      break;
    case keyboardUnacquired:
      s.keyboardAcquired = false;
      break;
    default:
      break;
  }
}

// Counts what happened in the frame just played, from the marks that only
// a life begun in it leaves.
void count(Stats& stats) {
  for (const auto& column : Arena::grid)
    for (const Cell& cell : column) {
      if (cell.type == cellBomb && cell.step == 0 && cell.timer == 8)
        ++stats.bombsLaid;
      if (cell.type == flameCentre && cell.step == 0 && cell.timer == 4)
        ++stats.explosions;
      if (cell.type == cellCrumbling && cell.frame == 0 && cell.timer >= 5)
        ++stats.blocksCrumbled;
    }
}

char message[256];

const char* broken(const char* what, int a, int b) {
  std::snprintf(message, sizeof message, "%s (%d, %d)", what, a, b);
  return message;
}

// The player's collision square against the walls and pillars. While the
// player walks sideways it probes a single cell at height y + 15 and is
// pulled one pixel per step toward its rest row, so it may pass partly in
// front of a pillar above or below that row: up to 10 pixels of the square
// can overlap one vertically (9 below the probe's row, one more when the
// pull starts from the row's edge), and then it can only get as deep across
// as the pull leaves it rows to do so.
constexpr int overlapDepthLimit = 10;

const char* checkPlayer(Stats& stats) {
  if (player.facing != facingDown && player.facing != facingUp &&
      player.facing != facingLeft && player.facing != facingRight)
    return broken("facing", player.facing, 0);
  if (player.walkFrame < 0 || player.walkFrame > 10)
    return broken("walk frame", player.walkFrame, 0);
  if (player.walkDelay < 0 || player.walkDelay > 4)
    return broken("walk delay", player.walkDelay, 0);

  const int left = player.x, right = player.x + 15;
  const int top = player.y + 9, bottom = player.y + 24;
  if (left < arenaLeft + 2 * cellSize ||
      right > arenaLeft + 15 * cellSize - 1 || top < arenaTop + cellSize ||
      bottom > arenaTop + 12 * cellSize - 1)
    return broken("player outside the arena's floor", player.x, player.y);

  const CellPosition own = player.cell();
  if (own.column < 0 || own.column >= arenaColumns || own.row < 0 ||
      own.row >= arenaRows ||
      Arena::layout()[own.row][own.column] != layoutFloor)
    return broken("player's cell is not floor", player.x, player.y);

  int width = 0, height = 0;
  for (int column = (left - arenaLeft) / cellSize;
       column <= (right - arenaLeft) / cellSize; ++column)
    for (int row = (top - arenaTop) / cellSize;
         row <= (bottom - arenaTop) / cellSize; ++row) {
      if (Arena::layout()[row][column] == layoutFloor) continue;
      const int cellLeft = arenaLeft + cellSize * column;
      const int cellTop = arenaTop + cellSize * row;
      const int w = (right < cellLeft + 15 ? right : cellLeft + 15) -
                    (left > cellLeft ? left : cellLeft) + 1;
      const int h = (bottom < cellTop + 15 ? bottom : cellTop + 15) -
                    (top > cellTop ? top : cellTop) + 1;
      if (w > width) width = w;
      if (h > height) height = h;
    }
  if (width > 0) {
    ++stats.overlapFrames;
    if (width > stats.deepestOverlapWidth) stats.deepestOverlapWidth = width;
    if (height > stats.deepestOverlapHeight)
      stats.deepestOverlapHeight = height;
    if (height > overlapDepthLimit || width > overlapDepthLimit)
      return broken("player inside a wall or pillar", player.x, player.y);
  }
  return nullptr;
}

// framePass without its drawing steps.
void undrawnPass() {
  advanceGame();
  graphics.present();
}

}  // namespace

void onFrame(FrameHook hook) { frameHook = hook; }

void drawEvery(int n) { drawingPeriod = n > 0 ? n : 1; }

void onFailure(FailureHandler handler) {
  failureHandler = handler != nullptr ? handler : defaultFailure;
}

void startOnce(const char* pictures) {
  static bool started = false;
  if (started) return;
  started = true;
  std::memcpy(pristineLayout, Arena::storedLayout, sizeof pristineLayout);
  // The pictures are read from data/ under the current folder, at start-up
  // only; the caller's folder is put back afterwards.
  char here[4096];
  const bool knowHere = getcwd(here, sizeof here) != nullptr;
  if (pictures != nullptr && chdir(pictures) != 0)
    std::fprintf(stderr, "no folder %s: the game runs without pictures\n",
                 pictures);
  fake::reset();
  auto& s = fake::state();
  s.logCalls = false;  // a long run would fill the log
  s.joystickAttached = true;
  fake::pressKey(DIK_ESCAPE);  // the entry returns after its first frame
  winMain(1, windowedRun());
  fake::releaseKey(DIK_ESCAPE);
  if (knowHere && chdir(here) != 0) std::perror(here);
  if (graphics.compositionSurface == nullptr ||
      inputDevices.joystickPresent != 1)
    fail("start-up did not bring every device up");
  s.keyboardScript = keyboard;
  s.joystickScript = joystick;
  s.onWait = waitWhilePaused;
  s.onPresent = shown;
}

void newGame(std::uint32_t seed) {
  auto& s = fake::state();
  s.queue.clear();
  s.failing.clear();
  s.focus = true;
  s.keyboardAcquired = true;
  s.destroyed = false;
  s.invalid = false;
  s.primaryLost = s.backLost = false;
  s.joystickAttached = true;
  std::memset(s.keys, 0, sizeof s.keys);
  s.joystickState = platform::DIJOYSTATE{};

  appWindow.quit = 0;
  appWindow.active = 1;
  appWindow.lastMessage = platform::MSG{};
  std::memset(inputDevices.keyboardState, 0, sizeof inputDevices.keyboardState);
  inputDevices.joystickState = platform::DIJOYSTATE{};
  inputDevices.keyboardLost = 0;
  inputDevices.joystickLost = 0;
  hands = Hands{};

  std::memcpy(Arena::storedLayout, pristineLayout, sizeof pristineLayout);
  arena.clear();
  runtime::srand(seed);
  arena.generate();
  player.x = 56;
  player.y = 40;
  player.facing = facingDown;
  player.walkFrame = 0;
  player.walkDelay = 0;
}

bool play(const Record& record, Stats& stats, int frameBudget) {
  current = &stats;
  const bool held = (record.keys & 0x80) != 0;
  hands = Hands{};
  hands.right = record.keys & 0x01;
  hands.left = record.keys & 0x02;
  hands.up = record.keys & 0x04;
  hands.down = record.keys & 0x08;
  hands.bomb = record.keys & 0x10;
  hands.stick = record.keys & 0x20;
  hands.buttonTwo = record.keys & 0x40;
  hands.deflection = deflections[record.hold >> 6];
  if (held)
    startEvent(record.extra % eventCount, record.extra / eventCount, stats);

  int frames = 1 + (record.hold & 63);
  if (frames > frameBudget) frames = frameBudget;
  for (int i = 0; i < frames; ++i) {
    if (appWindow.quit != 0) return false;
    readsThisFrame = pollsThisFrame = waitsThisFrame = 0;
    const auto heldForRegeneration = [] {
      return hands.enterReads + hands.enterReadsToFocusLoss +
             hands.buttonThreePolls;
    };
    const bool regenerating = heldForRegeneration() > 0;
    const bool paused = !fake::state().focus;
    if (stats.frames % static_cast<std::uint64_t>(drawingPeriod) == 0) {
      framePass();
      ++stats.framesDrawn;
    } else {
      undrawnPass();
    }
    ++stats.frames;
    // Enter or button 3 let go in this frame: one regeneration.
    if (regenerating && heldForRegeneration() == 0) ++stats.regenerations;
    if (paused) ++stats.pauses;
    count(stats);
    if (const char* what = checkInvariants(stats)) fail(what);
    if (frameHook != nullptr) frameHook();
    if (keyBindings.quitPressed()) return false;
  }
  return true;
}

void playBytes(const std::uint8_t* data, std::size_t size, int maxFrames,
               Stats& stats) {
  std::uint32_t seed = 0;
  std::size_t at = 0;
  for (; at < 4 && at < size; ++at) seed = seed << 8 | data[at];
  newGame(seed);
  ++stats.games;
  const std::uint64_t end =
      stats.frames + static_cast<std::uint64_t>(maxFrames);
  for (; at + 3 <= size && stats.frames < end; at += 3) {
    const Record record{data[at], data[at + 1], data[at + 2]};
    if (!play(record, stats, static_cast<int>(end - stats.frames)) &&
        at + 6 <= size) {
      newGame(seed + static_cast<std::uint32_t>(stats.games));
      ++stats.games;
    }
  }
}

const char* checkInvariants(Stats& stats) {
  if (const char* what = invariants::checkArena()) return what;
  return checkPlayer(stats);
}

}  // namespace reliability
