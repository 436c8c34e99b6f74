#include "platform/common/memory/FlipChain.h"

namespace platform {
namespace memory {

namespace {
std::uint16_t pictures[2][common::picturePixels];
}  // namespace

FlipChain chain{.front = pictures[0], .back = pictures[1]};

void FlipChain::release(Handle object) {
  if (object == primaryHandle) {
    primaryMade = false;
    flipChain = false;
  } else if (object == common::directDrawHandle) {
    opened = false;
  }
}

}  // namespace memory

using common::directDrawHandle;
using memory::backBufferHandle;
using memory::chain;
using memory::primaryHandle;

HRESULT ddSetCooperativeLevel(Handle directDraw, Handle, std::uint32_t) {
  return directDraw == directDrawHandle && chain.opened ? DD_OK : E_FAIL;
}

HRESULT ddCreatePrimarySurface(Handle directDraw, bool withFlipChain,
                               Handle* primary) {
  if (directDraw != directDrawHandle || !chain.opened) return E_FAIL;
  chain.primaryMade = true;
  chain.flipChain = withFlipChain;
  *primary = primaryHandle;
  return DD_OK;
}

HRESULT ddGetAttachedBackBuffer(Handle primary, Handle* backBuffer) {
  if (primary != primaryHandle || !chain.flipChain) return E_FAIL;
  *backBuffer = backBufferHandle;
  return DD_OK;
}

HRESULT ddGetPixelFormat(Handle surface, PixelMasks* masks) {
  if (!chain.isSurface(surface)) return E_FAIL;
  *masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5, as both screens take it
  return DD_OK;
}

HRESULT ddBltFromMemory(Handle target, const Rect& destination,
                        const std::uint16_t* pixels, int sourcePitch,
                        const Rect& source) {
  if (pixels == nullptr) return E_FAIL;
  if (target == backBufferHandle && chain.flipChain) {
    common::copyInto(chain.back, destination, pixels, sourcePitch, source);
    return DD_OK;
  }
  if (target != primaryHandle || chain.flipChain || !chain.primaryMade)
    return E_FAIL;
  memory::copyToWindow(destination, pixels, sourcePitch, source);
  return DD_OK;
}

HRESULT ddBltSurface(Handle target, const Rect& destination, Handle source,
                     const Rect& sourceRect) {
  if (target != backBufferHandle || source != primaryHandle || !chain.flipChain)
    return E_FAIL;
  common::copyInto(chain.back, destination, chain.front, common::pictureWidth,
                   sourceRect);
  return DD_OK;
}

// Nothing is ever lost.
HRESULT ddIsLost(Handle surface) {
  return chain.isSurface(surface) ? DD_OK : E_FAIL;
}

HRESULT ddRestore(Handle surface) {
  return chain.isSurface(surface) ? DD_OK : E_FAIL;
}

}  // namespace platform
