// Before the game starts. It reads its pictures from data/ in the current
// folder, and a program started from a shortcut or from a prompt in another
// folder has some other folder as its current one: the game's folder is the
// one fusebound.exe lies in. And a Windows program (no console of its own)
// started from a prompt writes --help and --version to that prompt's
// console, where it has no output of its own already.
#include <cstdio>

#include "platform/win32/Win32Side.h"

namespace {

void enterGameFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  for (DWORD i = length; i > 0; --i)
    if (path[i - 1] == '\\' || path[i - 1] == '/') {
      path[i - 1] = '\0';
      SetCurrentDirectoryA(path);
      return;
    }
}

void useTheParentsConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

struct BeforeTheGame {
  BeforeTheGame() {
    enterGameFolder();
    useTheParentsConsole();
  }
};
const BeforeTheGame beforeTheGame;

}  // namespace
