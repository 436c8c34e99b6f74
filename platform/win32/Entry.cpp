// Before the game starts: it reads its pictures from data/ in the current
// folder, and a program started from a shortcut or another folder's prompt
// has some other folder as its current one. The game's folder is the one
// fusebound.exe lies in.
#include "platform/win32/Win32Side.h"

namespace {

struct GameFolder {
  GameFolder() {
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
};
const GameFolder gameFolder;

}  // namespace
