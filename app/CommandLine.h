// The command line of the game, the same for every entry (desktop, Windows):
// whether to play in a window, or to answer --help or --version, or to say
// what was wrong. Free of any platform; it only reads argv.
#pragma once

#include <cstdio>

enum class CommandAction { play, help, version, error };

struct CommandLine {
  CommandAction action = CommandAction::play;
  bool windowed = false;  // -w, --window: play in a window
  // With CommandAction::error, what was wrong ("unknown option '--x'").
  char problem[120] = {};
};

// Reads argv[1] .. argv[argc - 1]. An argument that is not an option the game
// knows makes it an error, whatever else is given; otherwise --help wins
// over --version, and both over playing.
CommandLine parseCommandLine(int argc, const char* const* argv);

// The version players see, as the build defines it.
const char* gameVersion();

// "Usage: ..." with the options and the controls, one block of text.
const char* usageText();

// Does what the command line asks short of playing: --help prints the usage
// on `out`, --version the version, an error what was wrong and the usage on
// `err`. Returns the exit status (0, or 2 after an error), or -1 when the
// game is to be played.
int answerCommandLine(const CommandLine& line, std::FILE* out, std::FILE* err);

// The exit status of a command line the game does not understand.
inline constexpr int usageErrorStatus = 2;
