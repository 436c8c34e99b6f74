#include "app/Game.h"

int main() { return winMain(1); }
