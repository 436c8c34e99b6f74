#include "app/CommandLine.h"
#include "app/Game.h"

int main(int argc, char** argv) {
  const CommandLine line = parseCommandLine(argc, argv);
  const int answered = answerCommandLine(line, stdout, stderr);
  if (answered >= 0) return answered;
  return winMain(1, line.windowed);
}
