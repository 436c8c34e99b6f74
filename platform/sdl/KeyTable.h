// SDL's scan codes in DirectInput's key numbering (DIK_ codes): the keyboard
// snapshot the game reads is indexed by these. A DIK_ code is the key's PC
// scan code; the extended keys (arrows, the editing block, right-hand
// modifiers, keypad Enter and /) sit at their scan code plus 128.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace platform::dik {

inline constexpr std::uint8_t DIK_ESCAPE = 0x01;
inline constexpr std::uint8_t DIK_1 = 0x02;
inline constexpr std::uint8_t DIK_2 = 0x03;
inline constexpr std::uint8_t DIK_3 = 0x04;
inline constexpr std::uint8_t DIK_4 = 0x05;
inline constexpr std::uint8_t DIK_5 = 0x06;
inline constexpr std::uint8_t DIK_6 = 0x07;
inline constexpr std::uint8_t DIK_7 = 0x08;
inline constexpr std::uint8_t DIK_8 = 0x09;
inline constexpr std::uint8_t DIK_9 = 0x0A;
inline constexpr std::uint8_t DIK_0 = 0x0B;
inline constexpr std::uint8_t DIK_MINUS = 0x0C;
inline constexpr std::uint8_t DIK_EQUALS = 0x0D;
inline constexpr std::uint8_t DIK_BACK = 0x0E;
inline constexpr std::uint8_t DIK_TAB = 0x0F;
inline constexpr std::uint8_t DIK_Q = 0x10;
inline constexpr std::uint8_t DIK_W = 0x11;
inline constexpr std::uint8_t DIK_E = 0x12;
inline constexpr std::uint8_t DIK_R = 0x13;
inline constexpr std::uint8_t DIK_T = 0x14;
inline constexpr std::uint8_t DIK_Y = 0x15;
inline constexpr std::uint8_t DIK_U = 0x16;
inline constexpr std::uint8_t DIK_I = 0x17;
inline constexpr std::uint8_t DIK_O = 0x18;
inline constexpr std::uint8_t DIK_P = 0x19;
inline constexpr std::uint8_t DIK_LBRACKET = 0x1A;
inline constexpr std::uint8_t DIK_RBRACKET = 0x1B;
inline constexpr std::uint8_t DIK_RETURN = 0x1C;
inline constexpr std::uint8_t DIK_LCONTROL = 0x1D;
inline constexpr std::uint8_t DIK_A = 0x1E;
inline constexpr std::uint8_t DIK_S = 0x1F;
inline constexpr std::uint8_t DIK_D = 0x20;
inline constexpr std::uint8_t DIK_F = 0x21;
inline constexpr std::uint8_t DIK_G = 0x22;
inline constexpr std::uint8_t DIK_H = 0x23;
inline constexpr std::uint8_t DIK_J = 0x24;
inline constexpr std::uint8_t DIK_K = 0x25;
inline constexpr std::uint8_t DIK_L = 0x26;
inline constexpr std::uint8_t DIK_SEMICOLON = 0x27;
inline constexpr std::uint8_t DIK_APOSTROPHE = 0x28;
inline constexpr std::uint8_t DIK_GRAVE = 0x29;
inline constexpr std::uint8_t DIK_LSHIFT = 0x2A;
inline constexpr std::uint8_t DIK_BACKSLASH = 0x2B;
inline constexpr std::uint8_t DIK_Z = 0x2C;
inline constexpr std::uint8_t DIK_X = 0x2D;
inline constexpr std::uint8_t DIK_C = 0x2E;
inline constexpr std::uint8_t DIK_V = 0x2F;
inline constexpr std::uint8_t DIK_B = 0x30;
inline constexpr std::uint8_t DIK_N = 0x31;
inline constexpr std::uint8_t DIK_M = 0x32;
inline constexpr std::uint8_t DIK_COMMA = 0x33;
inline constexpr std::uint8_t DIK_PERIOD = 0x34;
inline constexpr std::uint8_t DIK_SLASH = 0x35;
inline constexpr std::uint8_t DIK_RSHIFT = 0x36;
inline constexpr std::uint8_t DIK_MULTIPLY = 0x37;  // * on the keypad
inline constexpr std::uint8_t DIK_LMENU = 0x38;     // left Alt
inline constexpr std::uint8_t DIK_SPACE = 0x39;
inline constexpr std::uint8_t DIK_CAPITAL = 0x3A;  // Caps Lock
inline constexpr std::uint8_t DIK_F1 = 0x3B;
inline constexpr std::uint8_t DIK_F2 = 0x3C;
inline constexpr std::uint8_t DIK_F3 = 0x3D;
inline constexpr std::uint8_t DIK_F4 = 0x3E;
inline constexpr std::uint8_t DIK_F5 = 0x3F;
inline constexpr std::uint8_t DIK_F6 = 0x40;
inline constexpr std::uint8_t DIK_F7 = 0x41;
inline constexpr std::uint8_t DIK_F8 = 0x42;
inline constexpr std::uint8_t DIK_F9 = 0x43;
inline constexpr std::uint8_t DIK_F10 = 0x44;
inline constexpr std::uint8_t DIK_NUMLOCK = 0x45;
inline constexpr std::uint8_t DIK_SCROLL = 0x46;  // Scroll Lock
inline constexpr std::uint8_t DIK_NUMPAD7 = 0x47;
inline constexpr std::uint8_t DIK_NUMPAD8 = 0x48;
inline constexpr std::uint8_t DIK_NUMPAD9 = 0x49;
inline constexpr std::uint8_t DIK_SUBTRACT = 0x4A;  // - on the keypad
inline constexpr std::uint8_t DIK_NUMPAD4 = 0x4B;
inline constexpr std::uint8_t DIK_NUMPAD5 = 0x4C;
inline constexpr std::uint8_t DIK_NUMPAD6 = 0x4D;
inline constexpr std::uint8_t DIK_ADD = 0x4E;  // + on the keypad
inline constexpr std::uint8_t DIK_NUMPAD1 = 0x4F;
inline constexpr std::uint8_t DIK_NUMPAD2 = 0x50;
inline constexpr std::uint8_t DIK_NUMPAD3 = 0x51;
inline constexpr std::uint8_t DIK_NUMPAD0 = 0x52;
inline constexpr std::uint8_t DIK_DECIMAL = 0x53;  // . on the keypad
inline constexpr std::uint8_t DIK_OEM_102 =
    0x56;  // the extra key of ISO boards
inline constexpr std::uint8_t DIK_F11 = 0x57;
inline constexpr std::uint8_t DIK_F12 = 0x58;
inline constexpr std::uint8_t DIK_F13 = 0x64;
inline constexpr std::uint8_t DIK_F14 = 0x65;
inline constexpr std::uint8_t DIK_F15 = 0x66;
inline constexpr std::uint8_t DIK_KANA = 0x70;
inline constexpr std::uint8_t DIK_ABNT_C1 = 0x73;
inline constexpr std::uint8_t DIK_CONVERT = 0x79;
inline constexpr std::uint8_t DIK_NOCONVERT = 0x7B;
inline constexpr std::uint8_t DIK_YEN = 0x7D;
inline constexpr std::uint8_t DIK_ABNT_C2 = 0x7E;
inline constexpr std::uint8_t DIK_NUMPADEQUALS = 0x8D;
inline constexpr std::uint8_t DIK_PREVTRACK = 0x90;
inline constexpr std::uint8_t DIK_NEXTTRACK = 0x99;
inline constexpr std::uint8_t DIK_NUMPADENTER = 0x9C;
inline constexpr std::uint8_t DIK_RCONTROL = 0x9D;
inline constexpr std::uint8_t DIK_MUTE = 0xA0;
inline constexpr std::uint8_t DIK_CALCULATOR = 0xA1;
inline constexpr std::uint8_t DIK_PLAYPAUSE = 0xA2;
inline constexpr std::uint8_t DIK_MEDIASTOP = 0xA4;
inline constexpr std::uint8_t DIK_VOLUMEDOWN = 0xAE;
inline constexpr std::uint8_t DIK_VOLUMEUP = 0xB0;
inline constexpr std::uint8_t DIK_WEBHOME = 0xB2;
inline constexpr std::uint8_t DIK_NUMPADCOMMA = 0xB3;
inline constexpr std::uint8_t DIK_DIVIDE = 0xB5;  // / on the keypad
inline constexpr std::uint8_t DIK_SYSRQ = 0xB7;   // Print Screen
inline constexpr std::uint8_t DIK_RMENU = 0xB8;   // right Alt
inline constexpr std::uint8_t DIK_PAUSE = 0xC5;
inline constexpr std::uint8_t DIK_HOME = 0xC7;
inline constexpr std::uint8_t DIK_UP = 0xC8;
inline constexpr std::uint8_t DIK_PRIOR = 0xC9;  // Page Up
inline constexpr std::uint8_t DIK_LEFT = 0xCB;
inline constexpr std::uint8_t DIK_RIGHT = 0xCD;
inline constexpr std::uint8_t DIK_END = 0xCF;
inline constexpr std::uint8_t DIK_DOWN = 0xD0;
inline constexpr std::uint8_t DIK_NEXT = 0xD1;  // Page Down
inline constexpr std::uint8_t DIK_INSERT = 0xD2;
inline constexpr std::uint8_t DIK_DELETE = 0xD3;
inline constexpr std::uint8_t DIK_LWIN = 0xDB;
inline constexpr std::uint8_t DIK_RWIN = 0xDC;
inline constexpr std::uint8_t DIK_APPS = 0xDD;  // the menu key
inline constexpr std::uint8_t DIK_POWER = 0xDE;
inline constexpr std::uint8_t DIK_SLEEP = 0xDF;
inline constexpr std::uint8_t DIK_WAKE = 0xE3;
inline constexpr std::uint8_t DIK_WEBSEARCH = 0xE5;
inline constexpr std::uint8_t DIK_WEBFAVORITES = 0xE6;
inline constexpr std::uint8_t DIK_WEBREFRESH = 0xE7;
inline constexpr std::uint8_t DIK_WEBSTOP = 0xE8;
inline constexpr std::uint8_t DIK_WEBFORWARD = 0xE9;
inline constexpr std::uint8_t DIK_WEBBACK = 0xEA;
inline constexpr std::uint8_t DIK_MYCOMPUTER = 0xEB;
inline constexpr std::uint8_t DIK_MAIL = 0xEC;
inline constexpr std::uint8_t DIK_MEDIASELECT = 0xED;

}  // namespace platform::dik

namespace platform {

struct KeyMapping {
  SDL_Scancode scancode;
  std::uint8_t dik;
};

// Every key of a standard keyboard that SDL reports, with its DIK_ code.
extern const KeyMapping keyTable[];
extern const int keyTableSize;

// The DIK_ code of an SDL scan code; 0 for a key the table does not know.
std::uint8_t dikFromScancode(SDL_Scancode scancode);

// The DIK_ code of a Linux input key code (the numbering of evdev, which an
// X server that uses evdev keycodes shows 8 higher); 0 for a key of no
// standard keyboard. The first 88 are the PC scan codes themselves.
std::uint8_t dikFromEvdev(int code);

// Fills a 256-byte snapshot from SDL's key state array (as
// SDL_GetKeyboardState gives it): 0x80 for each key down, 0 for the rest.
void fillKeyboardSnapshot(const Uint8* sdlKeys, int sdlKeyCount,
                          std::uint8_t* snapshot);

}  // namespace platform
