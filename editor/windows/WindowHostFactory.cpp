// The editor's window on Windows: a child window of the host's window that shows the editor's
// offscreen bitmap through GDI, passes the mouse on (captured during drags), runs the editor's idle
// work on a timer, and offers the desktop's pop-up menus and an edit control for typed text.
#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>

#include <vector>

#include "editor/IEditorWindowHost.h"
#include "platform/windows/ModuleHandle.h"
#include "platform/windows/WideText.h"

namespace sorvel {

namespace {

constexpr wchar_t kWindowClass[] = L"SorvelEditorWindow";
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleMilliseconds = 20;
constexpr int kEditId = 100;

IMouseMod modifiersOf(WPARAM keys) {
  IMouseMod mod;
  mod.L = (keys & MK_LBUTTON) != 0;
  mod.R = (keys & MK_RBUTTON) != 0;
  mod.S = (keys & MK_SHIFT) != 0;
  mod.C = (keys & MK_CONTROL) != 0;
  mod.A = ::GetKeyState(VK_MENU) < 0;
  return mod;
}

class Win32WindowHost : public IEditorWindowHost {
 public:
  explicit Win32WindowHost(IEditorView& view) : view_(view) {}
  ~Win32WindowHost() override { close(); }
  Win32WindowHost(const Win32WindowHost&) = delete;
  Win32WindowHost& operator=(const Win32WindowHost&) = delete;

  bool open(void* parentWindow) override {
    if (window_ != nullptr) return true;
    if (!registerClass()) return false;
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, view_.width(),
                                view_.height(), static_cast<HWND>(parentWindow), nullptr, thisModule(), this);
    if (window_ == nullptr) return false;
    view_.markAllDirty();
    ::SetTimer(window_, kIdleTimer, kIdleMilliseconds, nullptr);
    return true;
  }

  void close() override {
    if (window_ == nullptr) return;
    finishTextEntry(false);
    HWND window = window_;
    window_ = nullptr;
    ::KillTimer(window, kIdleTimer);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::DestroyWindow(window);
  }

  bool isOpen() const override { return window_ != nullptr; }

  // The window's own timer runs the idle work, so the host's idle calls have none left to do.
  bool idle() override { return window_ != nullptr; }

  void invalidate() override {
    if (window_ != nullptr) ::InvalidateRect(window_, nullptr, FALSE);
  }

  int showPopupMenu(const IPopupMenu& menu, int x, int y, const IPopupMenu*& chosenMenu) override {
    chosenMenu = nullptr;
    if (window_ == nullptr) return -1;
    std::vector<std::pair<const IPopupMenu*, int>> commands;
    HMENU handle = buildMenu(menu, commands);
    if (handle == nullptr) return -1;
    POINT at{x, y};
    ::ClientToScreen(window_, &at);
    const int command = static_cast<int>(::TrackPopupMenu(handle, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD |
                                                                      TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                                  at.x, at.y, 0, window_, nullptr));
    ::DestroyMenu(handle);
    if (command <= 0 || command > static_cast<int>(commands.size())) return -1;
    chosenMenu = commands[static_cast<std::size_t>(command - 1)].first;
    return commands[static_cast<std::size_t>(command - 1)].second;
  }

  void promptTextEntry(const IRECT& where, const std::string& initialUtf8, int maxLength) override {
    if (window_ == nullptr) return;
    finishTextEntry(false);
    edit_ = ::CreateWindowExW(0, L"EDIT", wideFromUtf8(initialUtf8).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, where.L, where.T, where.W(),
                              where.H(), window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                              thisModule(), nullptr);
    if (edit_ == nullptr) return;
    ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    if (maxLength > 0) ::SendMessageW(edit_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength), 0);
    ::SetWindowLongPtrW(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProcedure_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32WindowHost::editMessage)));
    ::SendMessageW(edit_, EM_SETSEL, 0, -1);
    ::SetFocus(edit_);
  }

  bool openWebPage(const std::string& url) override {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", wideFromUtf8(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
  }

  void setCursor(CursorShape shape) override {
    const wchar_t* name = shape == CursorShape::Hand             ? IDC_HAND
                          : shape == CursorShape::VerticalResize ? IDC_SIZENS
                                                                 : IDC_ARROW;
    cursor_ = ::LoadCursorW(nullptr, name);
    ::SetCursor(cursor_);
  }

 private:
  static bool registerClass() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(thisModule(), kWindowClass, &existing)) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &Win32WindowHost::windowMessage;
    windowClass.hInstance = thisModule();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&windowClass) != 0;
  }

  // Menu commands are numbered from 1 in the order the items are added; each remembers its menu
  // and its index there.
  static HMENU buildMenu(const IPopupMenu& menu, std::vector<std::pair<const IPopupMenu*, int>>& commands) {
    HMENU handle = ::CreatePopupMenu();
    if (handle == nullptr) return nullptr;
    for (int i = 0; i < menu.itemCount(); ++i) {
      const IPopupMenu::Item& item = menu.item(i);
      if (item.isSeparator()) {
        ::AppendMenuW(handle, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      UINT flags = MF_STRING;
      if (!item.enabled()) flags |= MF_GRAYED;
      if (item.checked()) flags |= MF_CHECKED;
      const std::wstring text = wideFromUtf8(item.text);
      if (item.submenu) {
        HMENU submenu = buildMenu(*item.submenu, commands);
        if (submenu != nullptr) {
          ::AppendMenuW(handle, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text.c_str());
        }
        continue;
      }
      commands.emplace_back(&menu, i);
      ::AppendMenuW(handle, flags, static_cast<UINT_PTR>(commands.size()), text.c_str());
    }
    return handle;
  }

  void paint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window_, &paint);
    IRECT drawn;
    view_.drawDirty(drawn);
    const IRECT area{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
    blit(dc, area);
    ::EndPaint(window_, &paint);
  }

  // The back buffer's pixels are already in the layout of a top-down 32-bit DIB.
  void blit(HDC dc, const IRECT& area) {
    const LICE_IBitmap& buffer = view_.backBuffer();
    const IRECT part = area.intersection({0, 0, buffer.getWidth(), buffer.getHeight()});
    if (part.empty()) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = buffer.getRowSpan();
    info.bmiHeader.biHeight = -buffer.getHeight();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::StretchDIBits(dc, part.L, part.T, part.W(), part.H(), part.L, part.T, part.W(), part.H(), buffer.getBits(),
                    &info, DIB_RGB_COLORS, SRCCOPY);
  }

  void tick() {
    view_.onIdle();
    IRECT drawn;
    if (view_.drawDirty(drawn) && window_ != nullptr) {
      HDC dc = ::GetDC(window_);
      blit(dc, drawn);
      ::ReleaseDC(window_, dc);
    }
  }

  void finishTextEntry(bool accepted) {
    if (edit_ == nullptr) return;
    HWND edit = edit_;
    edit_ = nullptr;
    std::string text;
    if (accepted) {
      const int length = ::GetWindowTextLengthW(edit);
      std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
      ::GetWindowTextW(edit, wide.data(), length + 1);
      text = utf8FromWide(wide.c_str());
    }
    ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProcedure_));
    ::DestroyWindow(edit);
    view_.onTextEntryFinished(accepted, text);
    invalidate();
  }

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
      case WM_PAINT:
        paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;  // the panel covers the window
      case WM_TIMER:
        if (wParam == kIdleTimer) tick();
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        finishTextEntry(true);
        ::SetCapture(window_);
        dragFrom_ = {x, y};
        view_.onMouseDown(x, y, modifiersOf(wParam));
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        if (::GetCapture() == window_) ::ReleaseCapture();
        view_.onMouseUp(x, y, modifiersOf(wParam));
        return 0;
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
        view_.onMouseDblClick(x, y, modifiersOf(wParam));
        return 0;
      case WM_MOUSEMOVE:
        if (::GetCapture() == window_ && (wParam & (MK_LBUTTON | MK_RBUTTON)) != 0) {
          view_.onMouseDrag(x, y, x - dragFrom_.x, y - dragFrom_.y, modifiersOf(wParam));
          dragFrom_ = {x, y};
        } else {
          if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
            tracking_ = ::TrackMouseEvent(&track) != 0;
          }
          view_.onMouseOver(x, y, modifiersOf(wParam));
        }
        return 0;
      case WM_MOUSELEAVE:
        tracking_ = false;
        view_.onMouseOut();
        return 0;
      case WM_MOUSEWHEEL: {
        POINT at{x, y};  // the wheel reports screen coordinates
        ::ScreenToClient(window_, &at);
        const float notches = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
        view_.onMouseWheel(at.x, at.y, modifiersOf(GET_KEYSTATE_WPARAM(wParam)), notches);
        return 0;
      }
      case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && cursor_ != nullptr) {
          ::SetCursor(cursor_);
          return TRUE;
        }
        break;
      case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
      default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
  }

  static LRESULT CALLBACK windowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* host = reinterpret_cast<Win32WindowHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host == nullptr || host->window_ != window) return ::DefWindowProcW(window, message, wParam, lParam);
    return host->handle(message, wParam, lParam);
  }

  // Return accepts the text, Escape drops it, and so does leaving the field.
  static LRESULT CALLBACK editMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<Win32WindowHost*>(::GetWindowLongPtrW(edit, GWLP_USERDATA));
    if (host == nullptr || host->edit_ != edit) return ::DefWindowProcW(edit, message, wParam, lParam);
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
      host->finishTextEntry(wParam == VK_RETURN);
      return 0;
    }
    if (message == WM_CHAR && (wParam == L'\r' || wParam == 27)) return 0;  // no beep
    if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    const WNDPROC original = host->editProcedure_;
    if (message == WM_KILLFOCUS) {
      const LRESULT result = ::CallWindowProcW(original, edit, message, wParam, lParam);
      host->finishTextEntry(false);
      return result;
    }
    return ::CallWindowProcW(original, edit, message, wParam, lParam);
  }

  IEditorView& view_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  WNDPROC editProcedure_ = nullptr;
  HCURSOR cursor_ = nullptr;
  POINT dragFrom_{0, 0};
  bool tracking_ = false;
};

}  // namespace

std::unique_ptr<IEditorWindowHost> makeWindowHost(IEditorView& view) {
  return std::make_unique<Win32WindowHost>(view);
}

}  // namespace sorvel
