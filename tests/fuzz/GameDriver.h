// Drives the whole game on the scripted platform from a stream of play
// records, checking the arena and the player after every frame. Shared by
// the whole-game fuzz target and the soak.
//
// The game keeps its state in globals, so the game is started once per
// process (startOnce: the real entry, with Escape held so that it returns
// right after its first frame) and every game after that begins with
// newGame, which puts the arena, the player, the window and the devices back
// as a fresh start-up leaves them. A game then runs the frame loop's own
// steps: the quit-flag test, framePass, the quit control.
#pragma once

#include <cstddef>
#include <cstdint>

namespace reliability {

// One record of play: what the player's hands and the machine do for a few
// frames. Three bytes, so that any byte string decodes into records.
//
// keys:  bit 0 right, 1 left, 2 up, 3 down (held together if several are
//        set), bit 4 R; bit 5 the directions come from the joystick instead
//        of the arrow keys; bit 6 joystick button 2; bit 7 `extra` is an
//        event.
// hold:  bits 0-5: the record lasts 1 + (hold & 63) frames; bits 6-7 pick
//        the stick's deflection: 19, 20 (both at rest), 21 or 24.
// extra: when bit 7 of keys is set, the event (extra % 10) and its argument
//        (extra / 10), happening at the start of the record's first frame;
//        see Event.
struct Record {
  std::uint8_t keys;
  std::uint8_t hold;
  std::uint8_t extra;
};

enum Event : std::uint8_t {
  enterPressed = 0,        // held for 1 + arg % 8 reads; arg % 8 == 7: held
                           // until the window loses the focus
  buttonThreePressed = 1,  // held for 1 + arg % 8 polls
  escapePressed = 2,       // ends the game
  focusLost = 3,           // back after 1 + arg % 4 waits
  closedWhilePaused = 4,   // focus lost, the window closed while paused
  quitMessage = 5,         // WM_QUIT in the queue
  closeRequest = 6,        // the window closed while the game runs
  surfacesLost = 7,        // the flip chain's memory taken away
  joystickPulled = 8,      // removed, or plugged back in if it was out
  keyboardUnacquired = 9,  // the keyboard taken away without a focus change
  eventCount = 10,
};

// What the play did, for the report.
struct Stats {
  std::uint64_t frames = 0;
  std::uint64_t games = 0;
  std::uint64_t bombsLaid = 0;
  std::uint64_t explosions = 0;
  std::uint64_t blocksCrumbled = 0;
  std::uint64_t regenerations = 0;
  std::uint64_t pauses = 0;
  std::uint64_t events[eventCount] = {};
  std::uint64_t framesShown = 0;
  std::uint64_t framesDrawn = 0;
  // Frames in which the player's collision square overlapped a wall or
  // pillar cell (allowed while it aligns to its row), and the deepest such
  // overlap seen, in pixels across and down.
  std::uint64_t overlapFrames = 0;
  int deepestOverlapWidth = 0;
  int deepestOverlapHeight = 0;
};

// Starts the game through its entry, once per process. `pictures` is the
// folder whose data/ holds the picture files (nullptr: the current one).
void startOnce(const char* pictures);

// A fresh game: layout and grid as before the first generation, then the
// first generation from `seed`; the player at its start; the window active
// with the keyboard; the joystick attached; nothing queued.
void newGame(std::uint32_t seed);

// Plays one record. Returns false when the game has ended (Escape, the quit
// flag); frameBudget caps the frames played (the record's own count
// otherwise). On a broken invariant it calls the failure handler.
bool play(const Record& record, Stats& stats, int frameBudget = 1 << 30);

// Plays a byte string as records, from a new game seeded by its first four
// bytes, for at most maxFrames frames; a game that ends is followed by a new
// one while bytes remain.
void playBytes(const std::uint8_t* data, std::size_t size, int maxFrames,
               Stats& stats);

// Checks every invariant of the arena and the player. Returns nullptr when
// they all hold, else a description of the first that does not (in a static
// buffer). Also measures the player's overlap with walls and pillars.
const char* checkInvariants(Stats& stats);

// Draw only every n-th frame (1: every frame, the default). The other
// frames run the frame loop's pass without its four drawing steps: the
// arena, the controls, the player and the presentation (with its message
// pump and pause) exactly as framePass runs them. Drawing is most of a
// frame's cost in an unoptimised build; what it draws depends on the game's
// state, never the other way round.
void drawEvery(int n);

// Called after every frame played (nullptr: nothing).
using FrameHook = void (*)();
void onFrame(FrameHook hook);

// Called with the description of a broken invariant or a hang; the default
// prints it with the frame count and aborts.
using FailureHandler = void (*)(const char* what, const Stats& stats);
void onFailure(FailureHandler handler);

}  // namespace reliability
