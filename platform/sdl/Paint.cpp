// Painting the window: answering a repaint request draws the last picture
// shown again, with the text the window procedure draws meanwhile in the
// system's default sans-serif font.
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {
namespace {

constexpr Handle paintDc = 1;
constexpr int fontPixels = 13;

int backgroundMode = 2;  // OPAQUE until told otherwise
std::uint32_t textColour = 0;
std::uint32_t backgroundColour = 0xFFFFFF;
bool painting = false;

// Text drawn during this painting, shown when it ends.
SDL_Surface* pendingText = nullptr;
int pendingX = 0, pendingY = 0;

// The system's default sans-serif face as fontconfig picks it, or "" when
// there is none.
std::string defaultFontFile() {
  std::string file;
  if (!FcInit()) return file;
  FcPattern* pattern =
      FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
  if (pattern == nullptr) return file;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
        path != nullptr)
      file = reinterpret_cast<const char*>(path);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  FcFini();  // the font is found once; fontconfig's caches can go
  return file;
}

// Opened on first use; without a font the text is left out.
TTF_Font* font() {
  static bool tried = false;
  static TTF_Font* opened = nullptr;
  if (tried) return opened;
  tried = true;
  if (TTF_WasInit() == 0 && TTF_Init() != 0) return nullptr;
  const std::string file = defaultFontFile();
  if (!file.empty()) opened = TTF_OpenFont(file.c_str(), fontPixels);
  return opened;
}

SDL_Color colourOf(std::uint32_t rgb) {
  return {static_cast<Uint8>(rgb & 0xFF), static_cast<Uint8>((rgb >> 8) & 0xFF),
          static_cast<Uint8>((rgb >> 16) & 0xFF), 255};
}

void dropPendingText() {
  if (pendingText != nullptr) SDL_FreeSurface(pendingText);
  pendingText = nullptr;
}

}  // namespace

Handle beginPaint(Handle) {
  painting = sdl::windowInvalid() && !sdl::windowDestroyed();
  dropPendingText();
  return paintDc;
}

void setBkMode(Handle, int mode) { backgroundMode = mode; }
void setTextColor(Handle, std::uint32_t rgb) { textColour = rgb; }
void setBkColor(Handle, std::uint32_t rgb) { backgroundColour = rgb; }

void textOut(Handle, int x, int y, const char* text, int length) {
  // Text reaches the screen only where the window needs repainting.
  if (!painting || text == nullptr || length <= 0) return;
  TTF_Font* face = font();
  if (face == nullptr) return;
  const std::string line(text, static_cast<std::size_t>(length));
  dropPendingText();
  pendingText =
      backgroundMode == TRANSPARENT
          ? TTF_RenderUTF8_Blended(face, line.c_str(), colourOf(textColour))
          : TTF_RenderUTF8_Shaded(face, line.c_str(), colourOf(textColour),
                                  colourOf(backgroundColour));
  pendingX = x;
  pendingY = y;
}

void endPaint(Handle, Handle) {
  // The window is drawn again at once from the last picture, with the text
  // if any: a game standing still presents nothing new that would fill it.
  if (painting) sdl::redrawLastFrame(pendingText, pendingX, pendingY);
  dropPendingText();
  painting = false;
  sdl::validateWindow();
}

}  // namespace platform
