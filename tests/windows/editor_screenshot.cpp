// Opens the plug-in's editor in a window of its own, as a host does, lets it draw for a moment
// and saves what the screen shows of the window as a PNG file.
//   editor_screenshot OUTPUT.png
#include <windows.h>

#include <png.h>

#include <cstdio>
#include <vector>

#include "tests/host/PluginHost.h"

using namespace testhost;

namespace {

LRESULT CALLBACK frameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void pumpFor(PluginHost& host, DWORD milliseconds) {
  const ULONGLONG end = ::GetTickCount64() + milliseconds;
  while (::GetTickCount64() < end) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    host.dispatch(effEditIdle);
    ::Sleep(10);
  }
}

bool saveClientArea(HWND window, int width, int height, const char* path) {
  HDC screen = ::GetDC(window);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP capture = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (capture != nullptr && bits != nullptr) {
    HGDIOBJ previous = ::SelectObject(memory, capture);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) pixels[i] |= 0xFF000000u;  // the screen is opaque
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    saved = png_image_write_to_file(&image, path, 0, bits, 0, nullptr) != 0;
    ::SelectObject(memory, previous);
    ::DeleteObject(capture);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(window, screen);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: editor_screenshot OUTPUT.png\n");
    return 2;
  }
  PluginHost host;
  if (!host.loaded()) {
    std::fprintf(stderr, "editor_screenshot: the plug-in did not load\n");
    return 1;
  }
  host.start();
  ERect* size = nullptr;
  if (host.dispatch(effEditGetRect, 0, 0, &size) == 0 || size == nullptr) {
    std::fprintf(stderr, "editor_screenshot: the plug-in has no editor\n");
    return 1;
  }
  const int width = size->right - size->left;
  const int height = size->bottom - size->top;

  WNDCLASSW frameClass{};
  frameClass.lpfnWndProc = &frameMessage;
  frameClass.hInstance = ::GetModuleHandleW(nullptr);
  frameClass.lpszClassName = L"SorvelTestHostFrame";
  ::RegisterClassW(&frameClass);
  RECT outer{0, 0, width, height};
  ::AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
  HWND frame = ::CreateWindowW(L"SorvelTestHostFrame", L"Sorvel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                               frameClass.hInstance, nullptr);
  if (frame == nullptr || host.dispatch(effEditOpen, 0, 0, frame) == 0) {
    std::fprintf(stderr, "editor_screenshot: the editor did not open\n");
    return 1;
  }
  pumpFor(host, 1500);
  const bool saved = saveClientArea(frame, width, height, argv[1]);
  host.dispatch(effEditClose);
  ::DestroyWindow(frame);
  host.close();
  std::printf("editor_screenshot: %dx%d panel %s\n", width, height, saved ? "saved" : "NOT saved");
  return saved ? 0 : 1;
}
