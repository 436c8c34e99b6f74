#include "app/CommandLine.h"

#include <cstring>

#ifndef FUSEBOUND_VERSION
#define FUSEBOUND_VERSION "unknown"
#endif

namespace {

constexpr const char* usage =
    "Usage: fusebound [-w | --window]\n"
    "Lays bombs and sets off chains of explosions in a walled arena. The game\n"
    "runs full screen unless it is told to play in a window.\n"
    "\n"
    "Options:\n"
    "  -w, --window   play in a window (it can be resized) instead of full "
    "screen\n"
    "  -h, --help     show this help and quit\n"
    "      --version  show the version and quit\n"
    "\n"
    "Controls:\n"
    "  arrow keys, joystick or its direction pad   walk\n"
    "  R, joystick button 2                        lay a bomb\n"
    "  Enter, joystick button 3                    a fresh set of blocks\n"
    "  Escape                                      quit\n"
    "The game stands still while its window is in the background.\n";

bool is(const char* argument, const char* name) {
  return std::strcmp(argument, name) == 0;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  bool help = false, version = false;
  for (int i = 1; i < argc && argv != nullptr; ++i) {
    const char* argument = argv[i] != nullptr ? argv[i] : "";
    if (is(argument, "-w") || is(argument, "--window")) {
      line.windowed = true;
    } else if (is(argument, "-h") || is(argument, "--help")) {
      help = true;
    } else if (is(argument, "--version")) {
      version = true;
    } else {
      line.action = CommandAction::error;
      std::snprintf(
          line.problem, sizeof line.problem, "%s '%s'",
          argument[0] == '-' ? "unknown option" : "unexpected argument",
          argument);
      return line;
    }
  }
  if (help)
    line.action = CommandAction::help;
  else if (version)
    line.action = CommandAction::version;
  return line;
}

const char* gameVersion() { return FUSEBOUND_VERSION; }

const char* usageText() { return usage; }

int answerCommandLine(const CommandLine& line, std::FILE* out, std::FILE* err) {
  switch (line.action) {
    case CommandAction::play:
      return -1;
    case CommandAction::help:
      std::fputs(usage, out);
      return 0;
    case CommandAction::version:
      std::fprintf(out, "fusebound %s\n", gameVersion());
      return 0;
    case CommandAction::error:
      std::fprintf(err, "fusebound: %s\n%s", line.problem, usage);
      return usageErrorStatus;
  }
  return usageErrorStatus;
}
