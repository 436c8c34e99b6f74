// The calls the browser side of the platform makes into the page's script
// (platform/web/library.js). Those marked "waits" let the browser run while
// they wait: the game's blocking loop is suspended there and resumed from
// the browser's event loop. Only platform/web/ includes this.
#pragma once

#include <cstdint>

extern "C" {

// Finds the canvas, installs the event handlers and the key table. 0 when
// the page has no canvas for the game.
int fbweb_openCanvas(const char* caption);
// Teaches the page one key: KeyboardEvent.code to DirectInput key number.
void fbweb_addKey(const char* code, int dik);
// Gives the canvas the keyboard focus; 1 when it has it now.
int fbweb_takeFocus();
// 1 while the canvas has the keyboard focus and the page is shown.
int fbweb_hasFocus();
void fbweb_showCursor(int show);

// The page's queue of window messages. Takes the oldest, or answers 0.
int fbweb_takeMessage(std::uint32_t* message, std::int32_t* wParam,
                      std::int32_t* lParam);
int fbweb_messagesWaiting();
// 1 when a request to end the program (WM_DESTROY, WM_CLOSE, WM_QUIT) is
// waiting in the queue.
int fbweb_quitPending();
void fbweb_postMessage(std::uint32_t message, std::int32_t wParam,
                       std::int32_t lParam);
// Waits until a message is waiting or `timeoutMs` have passed. 1 when one is.
int fbweb_waitMessage(int timeoutMs);
// Waits until the player does something (a key, the focus) or `timeoutMs`
// have passed.
void fbweb_waitInput(int timeoutMs);
// Waits for the browser's next animation frame; its timestamp in ms.
double fbweb_nextAnimationFrame();

// Shows a 320 by 240 picture of 5-6-5 pixels (rows of 320).
void fbweb_showPicture(const std::uint16_t* pixels);
// Counts a game frame played on an animation frame that shows a later one.
void fbweb_playedUnshown();
// Shows the last picture again with `text` over it at (x, y), in `rgb`
// (0x00BBGGRR), drawn without a background.
void fbweb_showText(const char* text, int length, int x, int y,
                    std::uint32_t rgb);

// The state of all 256 keys, 0x80 for those down.
void fbweb_readKeys(std::uint8_t* keys);
// 1 while the Gamepad API is there at all.
int fbweb_gamepadApi();
// The first connected gamepad: axes X and Y (-1..1) and the first 32
// buttons (1 pressed). 0 when no gamepad is connected, 2 when the pad has
// the standard mapping (buttons 12 to 15 its direction pad), else 1.
int fbweb_readGamepad(float* axes, std::uint8_t* buttons);

// Opens a Web Audio context; 0 when the browser has none.
int fbweb_openAudio();
void fbweb_closeAudio();

// Shows the in-page dialog and waits until the player closes it.
void fbweb_messageBox(const char* text, const char* caption);
// Milliseconds of the wall clock, cut to 32 bits.
std::uint32_t fbweb_tickCount();
}
