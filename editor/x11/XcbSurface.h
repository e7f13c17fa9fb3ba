// Moves rectangles of an offscreen bitmap into one window: through a shared memory segment when
// the server offers one (a local server), else as plain image requests cut to the server's size
// limit.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "editor/IGraphicsTypes.h"
#include "editor/LICE_Bitmap.h"

namespace sorvel {

class XcbDisplay;

class XcbSurface {
 public:
  XcbSurface(XcbDisplay& display, xcb_window_t window, int width, int height);
  ~XcbSurface();
  XcbSurface(const XcbSurface&) = delete;
  XcbSurface& operator=(const XcbSurface&) = delete;

  // Copies `area` (clipped to the window) of the bitmap to the same place in the window.
  void put(const LICE_IBitmap& bitmap, const IRECT& area);
  bool usesSharedMemory() const { return segment_ != 0; }

 private:
  bool attachSharedMemory();
  void waitForServer();
  void copyRows(const LICE_IBitmap& bitmap, const IRECT& area, std::uint32_t* target, int targetSpan) const;

  XcbDisplay& display_;
  xcb_window_t window_;
  xcb_gcontext_t gc_ = 0;
  int width_;
  int height_;
  // Shared memory: the server reads the segment after we return, so the next copy into it waits
  // for a round trip issued right after the previous image.
  std::uint32_t segment_ = 0;
  int segmentId_ = -1;
  std::uint32_t* sharedPixels_ = nullptr;
  bool serverReading_ = false;
  xcb_get_input_focus_cookie_t readDone_{};
  std::vector<std::uint32_t> band_;
};

}  // namespace sorvel
