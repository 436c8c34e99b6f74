// The program's entry in the browser. The game's own entry (app/main.cpp) is
// compiled as it stands under the name gameMain; this one calls it and ends
// the program with its result. Under Asyncify the game's first wait unwinds
// the original call of main, so when the game's entry finally returns, its
// value reaches no caller that would end the program: the end is made
// explicit here, which runs the exit handlers (the global destructors) and
// tells the page.
#include <cstdlib>

int gameMain(int argc, char** argv);

int main(int argc, char** argv) { std::exit(gameMain(argc, argv)); }
