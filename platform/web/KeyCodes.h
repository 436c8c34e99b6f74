// The browser's key names (KeyboardEvent.code) in DirectInput's key
// numbering, the numbers the game reads the keyboard in. `usage` is the
// key's USB HID usage on the keyboard page, which names the physical key
// the same way the browser's code does (and is SDL's scan code for it): it
// ties this table to the desktop's.
#pragma once

#include <cstdint>

#include "platform/KeyNumbers.h"

namespace platform::web {

struct BrowserKey {
  const char* code;
  std::uint16_t usage;
  std::uint8_t dik;
};

inline constexpr BrowserKey browserKeys[] = {
    // Letters.
    {"KeyA", 4, dik::DIK_A},
    {"KeyB", 5, dik::DIK_B},
    {"KeyC", 6, dik::DIK_C},
    {"KeyD", 7, dik::DIK_D},
    {"KeyE", 8, dik::DIK_E},
    {"KeyF", 9, dik::DIK_F},
    {"KeyG", 10, dik::DIK_G},
    {"KeyH", 11, dik::DIK_H},
    {"KeyI", 12, dik::DIK_I},
    {"KeyJ", 13, dik::DIK_J},
    {"KeyK", 14, dik::DIK_K},
    {"KeyL", 15, dik::DIK_L},
    {"KeyM", 16, dik::DIK_M},
    {"KeyN", 17, dik::DIK_N},
    {"KeyO", 18, dik::DIK_O},
    {"KeyP", 19, dik::DIK_P},
    {"KeyQ", 20, dik::DIK_Q},
    {"KeyR", 21, dik::DIK_R},
    {"KeyS", 22, dik::DIK_S},
    {"KeyT", 23, dik::DIK_T},
    {"KeyU", 24, dik::DIK_U},
    {"KeyV", 25, dik::DIK_V},
    {"KeyW", 26, dik::DIK_W},
    {"KeyX", 27, dik::DIK_X},
    {"KeyY", 28, dik::DIK_Y},
    {"KeyZ", 29, dik::DIK_Z},
    // Digits of the top row.
    {"Digit1", 30, dik::DIK_1},
    {"Digit2", 31, dik::DIK_2},
    {"Digit3", 32, dik::DIK_3},
    {"Digit4", 33, dik::DIK_4},
    {"Digit5", 34, dik::DIK_5},
    {"Digit6", 35, dik::DIK_6},
    {"Digit7", 36, dik::DIK_7},
    {"Digit8", 37, dik::DIK_8},
    {"Digit9", 38, dik::DIK_9},
    {"Digit0", 39, dik::DIK_0},
    // The rest of the main block.
    {"Enter", 40, dik::DIK_RETURN},
    {"Escape", 41, dik::DIK_ESCAPE},
    {"Backspace", 42, dik::DIK_BACK},
    {"Tab", 43, dik::DIK_TAB},
    {"Space", 44, dik::DIK_SPACE},
    {"Minus", 45, dik::DIK_MINUS},
    {"Equal", 46, dik::DIK_EQUALS},
    {"BracketLeft", 47, dik::DIK_LBRACKET},
    {"BracketRight", 48, dik::DIK_RBRACKET},
    {"Backslash", 49, dik::DIK_BACKSLASH},
    {"Semicolon", 51, dik::DIK_SEMICOLON},
    {"Quote", 52, dik::DIK_APOSTROPHE},
    {"Backquote", 53, dik::DIK_GRAVE},
    {"Comma", 54, dik::DIK_COMMA},
    {"Period", 55, dik::DIK_PERIOD},
    {"Slash", 56, dik::DIK_SLASH},
    {"CapsLock", 57, dik::DIK_CAPITAL},
    {"IntlBackslash", 100, dik::DIK_OEM_102},
    // Function keys.
    {"F1", 58, dik::DIK_F1},
    {"F2", 59, dik::DIK_F2},
    {"F3", 60, dik::DIK_F3},
    {"F4", 61, dik::DIK_F4},
    {"F5", 62, dik::DIK_F5},
    {"F6", 63, dik::DIK_F6},
    {"F7", 64, dik::DIK_F7},
    {"F8", 65, dik::DIK_F8},
    {"F9", 66, dik::DIK_F9},
    {"F10", 67, dik::DIK_F10},
    {"F11", 68, dik::DIK_F11},
    {"F12", 69, dik::DIK_F12},
    {"F13", 104, dik::DIK_F13},
    {"F14", 105, dik::DIK_F14},
    {"F15", 106, dik::DIK_F15},
    {"PrintScreen", 70, dik::DIK_SYSRQ},
    {"ScrollLock", 71, dik::DIK_SCROLL},
    {"Pause", 72, dik::DIK_PAUSE},
    // Editing block and arrows.
    {"Insert", 73, dik::DIK_INSERT},
    {"Home", 74, dik::DIK_HOME},
    {"PageUp", 75, dik::DIK_PRIOR},
    {"Delete", 76, dik::DIK_DELETE},
    {"End", 77, dik::DIK_END},
    {"PageDown", 78, dik::DIK_NEXT},
    {"ArrowRight", 79, dik::DIK_RIGHT},
    {"ArrowLeft", 80, dik::DIK_LEFT},
    {"ArrowDown", 81, dik::DIK_DOWN},
    {"ArrowUp", 82, dik::DIK_UP},
    // Keypad.
    {"NumLock", 83, dik::DIK_NUMLOCK},
    {"NumpadDivide", 84, dik::DIK_DIVIDE},
    {"NumpadMultiply", 85, dik::DIK_MULTIPLY},
    {"NumpadSubtract", 86, dik::DIK_SUBTRACT},
    {"NumpadAdd", 87, dik::DIK_ADD},
    {"NumpadEnter", 88, dik::DIK_NUMPADENTER},
    {"Numpad1", 89, dik::DIK_NUMPAD1},
    {"Numpad2", 90, dik::DIK_NUMPAD2},
    {"Numpad3", 91, dik::DIK_NUMPAD3},
    {"Numpad4", 92, dik::DIK_NUMPAD4},
    {"Numpad5", 93, dik::DIK_NUMPAD5},
    {"Numpad6", 94, dik::DIK_NUMPAD6},
    {"Numpad7", 95, dik::DIK_NUMPAD7},
    {"Numpad8", 96, dik::DIK_NUMPAD8},
    {"Numpad9", 97, dik::DIK_NUMPAD9},
    {"Numpad0", 98, dik::DIK_NUMPAD0},
    {"NumpadDecimal", 99, dik::DIK_DECIMAL},
    {"NumpadEqual", 103, dik::DIK_NUMPADEQUALS},
    {"NumpadComma", 133, dik::DIK_ABNT_C2},
    // Japanese and Brazilian keys.
    {"IntlRo", 135, dik::DIK_ABNT_C1},
    {"KanaMode", 136, dik::DIK_KANA},
    {"IntlYen", 137, dik::DIK_YEN},
    {"Convert", 138, dik::DIK_CONVERT},
    {"NonConvert", 139, dik::DIK_NOCONVERT},
    // System keys.
    {"ContextMenu", 101, dik::DIK_APPS},
    {"Power", 102, dik::DIK_POWER},
    {"AudioVolumeMute", 127, dik::DIK_MUTE},
    {"AudioVolumeUp", 128, dik::DIK_VOLUMEUP},
    {"AudioVolumeDown", 129, dik::DIK_VOLUMEDOWN},
    // Modifiers.
    {"ControlLeft", 224, dik::DIK_LCONTROL},
    {"ShiftLeft", 225, dik::DIK_LSHIFT},
    {"AltLeft", 226, dik::DIK_LMENU},
    {"MetaLeft", 227, dik::DIK_LWIN},
    {"ControlRight", 228, dik::DIK_RCONTROL},
    {"ShiftRight", 229, dik::DIK_RSHIFT},
    {"AltRight", 230, dik::DIK_RMENU},
    {"MetaRight", 231, dik::DIK_RWIN},
};

inline constexpr int browserKeyCount =
    static_cast<int>(sizeof browserKeys / sizeof browserKeys[0]);

}  // namespace platform::web
