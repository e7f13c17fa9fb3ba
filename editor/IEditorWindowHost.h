// The meeting point of the editor and a window host. The editor draws into an offscreen bitmap
// and takes mouse events; a window host (X11, Win32, or a scripted one in tests) only moves
// pixels and events and knows no control.
#pragma once

#include <memory>
#include <string>

#include "editor/IGraphicsTypes.h"
#include "editor/IPopupMenu.h"
#include "editor/LICE_Bitmap.h"

namespace sorvel {

// What the editor offers a window host. Everything here runs on the host's user-interface thread.
class IEditorView {
 public:
  virtual ~IEditorView() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;

  // Redraws every dirty control into the back buffer; false when nothing was dirty, else
  // `drawn` is the union of what changed.
  virtual bool drawDirty(IRECT& drawn) = 0;
  virtual const LICE_IBitmap& backBuffer() const = 0;
  // The whole panel is redrawn next time (an expose).
  virtual void markAllDirty() = 0;

  virtual void onMouseDown(int x, int y, const IMouseMod& mod) = 0;
  virtual void onMouseUp(int x, int y, const IMouseMod& mod) = 0;
  virtual void onMouseDrag(int x, int y, int dX, int dY, const IMouseMod& mod) = 0;
  virtual void onMouseDblClick(int x, int y, const IMouseMod& mod) = 0;
  // delta: wheel notches, positive away from the user.
  virtual void onMouseWheel(int x, int y, const IMouseMod& mod, float delta) = 0;
  virtual void onMouseOver(int x, int y, const IMouseMod& mod) = 0;
  virtual void onMouseOut() = 0;

  // The plug-in's idle work: values that came from the host, indicators, the program display.
  virtual void onIdle() = 0;

  // Answer to IEditorWindowHost::promptTextEntry.
  virtual void onTextEntryFinished(bool accepted, const std::string& utf8Text) = 0;
};

// What a window host offers the editor while its window is open. Message boxes and file dialogs
// are not here: the plug-in's UserDialogs serve them.
class IEditorWindowHost {
 public:
  virtual ~IEditorWindowHost() = default;

  virtual bool open(void* parentWindow) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;

  // A tick of the host's user-interface thread (effEditIdle). A host that pumps its window here
  // runs the view's idle work and draws itself, and says so; otherwise the editor runs the idle
  // work.
  virtual bool idle() { return false; }

  // Something became dirty: redraw (IEditorView::drawDirty) at the next chance.
  virtual void invalidate() = 0;

  // Shows the menu at panel position (x, y) until the user chooses or cancels, as the desktop's
  // own menus do. Returns the chosen item's index within chosenMenu (the top menu or one of its
  // submenus), or -1 when cancelled.
  virtual int showPopupMenu(const IPopupMenu& menu, int x, int y, const IPopupMenu*& chosenMenu) = 0;

  // Opens a one-line text entry over `where`; the host answers later through
  // IEditorView::onTextEntryFinished.
  virtual void promptTextEntry(const IRECT& where, const std::string& initialUtf8, int maxLength) = 0;

  virtual bool openWebPage(const std::string& url) = 0;
  virtual void setCursor(CursorShape shape) = 0;
};

// The window host of this platform, for the editor's window (a headless one where there is no
// display). Defined once per platform, in editor/WindowHostFactory.cpp.
std::unique_ptr<IEditorWindowHost> makeWindowHost(IEditorView& view);

}  // namespace sorvel
