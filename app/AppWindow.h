// The game's one window: its class, its window procedure, and the message
// pump that the display's presentation drives, one message at a time.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

inline constexpr const char* windowClassName = "WINXCLASS";
inline constexpr const char* windowCaption = "[Kestrune] Fusebound PC 2k";
inline constexpr const char* pauseMessage = "Moonhollow 2000 is paused.";
inline constexpr std::uint32_t windowStyle =
    platform::WS_VISIBLE | platform::WS_CAPTION | platform::WS_THICKFRAME |
    platform::WS_MINIMIZEBOX;  // 0x10C60000
inline constexpr int clientWidth = 320;
inline constexpr int clientHeight = 240;

struct AppWindow {
  platform::Handle instance;
  platform::Handle window;
  std::int32_t active;  // 1 while the window has the keyboard focus
  std::int16_t quit;    // set once the window is destroyed or WM_QUIT arrives
  platform::MSG lastMessage;

  AppWindow();
  void create(platform::Handle instanceHandle);
};

extern AppWindow appWindow;

platform::LRESULT windowProc(platform::Handle window, std::uint32_t message,
                             platform::WPARAM wParam, platform::LPARAM lParam);

// Takes at most one message off the queue and hands it to the window
// procedure. Returns what the procedure returned, 0 when the queue was empty.
platform::LRESULT pumpMessage();
