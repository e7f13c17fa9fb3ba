#include "editor/x11/XcbSurface.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "editor/x11/XcbDisplay.h"

namespace sorvel {

XcbSurface::XcbSurface(XcbDisplay& display, xcb_window_t window, int width, int height)
    : display_(display), window_(window), width_(width), height_(height) {
  xcb_connection_t* c = display_.connection();
  gc_ = xcb_generate_id(c);
  const std::uint32_t noExposures = 0;
  xcb_create_gc(c, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  if (display_.hasSharedMemory()) attachSharedMemory();
}

XcbSurface::~XcbSurface() {
  xcb_connection_t* c = display_.connection();
  if (segment_ != 0) {
    waitForServer();
    xcb_shm_detach(c, segment_);
    xcb_get_input_focus_reply_t* done = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    std::free(done);
  }
  if (sharedPixels_ != nullptr) shmdt(sharedPixels_);
  xcb_free_gc(c, gc_);
  xcb_flush(c);
}

bool XcbSurface::attachSharedMemory() {
  const std::size_t bytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4;
  segmentId_ = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (segmentId_ < 0) return false;
  void* address = shmat(segmentId_, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {
    shmctl(segmentId_, IPC_RMID, nullptr);
    return false;
  }
  xcb_connection_t* c = display_.connection();
  const xcb_shm_seg_t segment = xcb_generate_id(c);
  xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_checked(c, segment, static_cast<std::uint32_t>(segmentId_), 0));
  // Marked for removal now: the segment goes away with its last user, even if we crash.
  shmctl(segmentId_, IPC_RMID, nullptr);
  if (error != nullptr) {
    // A server on another machine cannot see our memory.
    std::free(error);
    shmdt(address);
    return false;
  }
  segment_ = segment;
  sharedPixels_ = static_cast<std::uint32_t*>(address);
  return true;
}

void XcbSurface::waitForServer() {
  if (!serverReading_) return;
  std::free(xcb_get_input_focus_reply(display_.connection(), readDone_, nullptr));
  serverReading_ = false;
}

void XcbSurface::copyRows(const LICE_IBitmap& bitmap, const IRECT& area, std::uint32_t* target,
                          int targetSpan) const {
  const LICE_pixel* source = bitmap.getBits() + static_cast<std::ptrdiff_t>(area.T) * bitmap.getRowSpan() + area.L;
  for (int y = 0; y < area.H(); ++y) {
    const LICE_pixel* from = source + static_cast<std::ptrdiff_t>(y) * bitmap.getRowSpan();
    std::uint32_t* to = target + static_cast<std::ptrdiff_t>(y) * targetSpan;
    if (display_.swapBytes()) {
      for (int x = 0; x < area.W(); ++x) to[x] = __builtin_bswap32(from[x]);
    } else {
      std::memcpy(to, from, static_cast<std::size_t>(area.W()) * 4);
    }
  }
}

void XcbSurface::put(const LICE_IBitmap& bitmap, const IRECT& wanted) {
  const IRECT limits{0, 0, std::min(width_, bitmap.getWidth()), std::min(height_, bitmap.getHeight())};
  const IRECT area = wanted.intersection(limits);
  if (area.empty()) return;
  xcb_connection_t* c = display_.connection();
  const auto depth = display_.screen()->root_depth;

  if (segment_ != 0) {
    waitForServer();
    copyRows(bitmap, area, sharedPixels_ + static_cast<std::ptrdiff_t>(area.T) * width_ + area.L, width_);
    xcb_shm_put_image(c, window_, gc_, static_cast<std::uint16_t>(width_), static_cast<std::uint16_t>(height_),
                      static_cast<std::uint16_t>(area.L), static_cast<std::uint16_t>(area.T),
                      static_cast<std::uint16_t>(area.W()), static_cast<std::uint16_t>(area.H()),
                      static_cast<std::int16_t>(area.L), static_cast<std::int16_t>(area.T), depth,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment_, 0);
    readDone_ = xcb_get_input_focus(c);
    serverReading_ = true;
    xcb_flush(c);
    return;
  }

  // Plain requests: as many whole rows per request as the server takes.
  const std::size_t rowBytes = static_cast<std::size_t>(area.W()) * 4;
  const std::size_t room = display_.maximumRequestBytes() > 64 ? display_.maximumRequestBytes() - 64 : 0;
  const int rowsPerRequest = std::max(1, std::min(area.H(), static_cast<int>(room / rowBytes)));
  band_.resize(static_cast<std::size_t>(area.W()) * static_cast<std::size_t>(rowsPerRequest));
  for (int top = area.T; top < area.B; top += rowsPerRequest) {
    const IRECT rows{area.L, top, area.R, std::min(area.B, top + rowsPerRequest)};
    copyRows(bitmap, rows, band_.data(), area.W());
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<std::uint16_t>(rows.W()),
                  static_cast<std::uint16_t>(rows.H()), static_cast<std::int16_t>(rows.L),
                  static_cast<std::int16_t>(rows.T), 0, depth, static_cast<std::uint32_t>(rowBytes * rows.H()),
                  reinterpret_cast<const std::uint8_t*>(band_.data()));
  }
  xcb_flush(c);
}

}  // namespace sorvel
