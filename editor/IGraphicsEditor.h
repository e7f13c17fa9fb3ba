// The editor: the panel's controls in drawing order, their dirty state, the offscreen back
// buffer, mouse routing, and the services controls call on (menus, text entry, web pages) through
// the window host of an open window.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/IControl.h"
#include "editor/IEditorWindowHost.h"
#include "editor/LICE_Bitmap.h"
#include "framework/IGraphics.h"
#include "framework/IPlugBase.h"

namespace sorvel {

// What a layout adds to the editor: work handed over from other threads, taken up on the
// user-interface thread before drawing.
class IEditorLayout {
 public:
  virtual ~IEditorLayout() = default;
  virtual void applyPending() {}
};

class IGraphicsEditor : public IGraphics, public IEditorView {
 public:
  using WindowHostFactory = std::function<std::unique_ptr<IEditorWindowHost>(IEditorView&)>;

  // The size comes with the layout (its background image's).
  explicit IGraphicsEditor(IPlugBase& plug);
  ~IGraphicsEditor() override;

  // The plug-in's view of the editor.
  int width() const override { return width_; }
  int height() const override { return height_; }
  bool openWindow(void* parent) override;
  void closeWindow() override;
  bool windowIsOpen() const override { return windowOpen_.load(std::memory_order_acquire); }
  void setParameterFromPlug(int index, double value, bool normalised) override;
  void prepareDrawing() override;
  std::string moduleFolder() const override;

  // The window host's view of the editor.
  bool drawDirty(IRECT& drawn) override;
  const LICE_IBitmap& backBuffer() const override { return backBuffer_; }
  void markAllDirty() override;
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
  void onMouseUp(int x, int y, const IMouseMod& mod) override;
  void onMouseDrag(int x, int y, int dX, int dY, const IMouseMod& mod) override;
  void onMouseDblClick(int x, int y, const IMouseMod& mod) override;
  void onMouseWheel(int x, int y, const IMouseMod& mod, float delta) override;
  void onMouseOver(int x, int y, const IMouseMod& mod) override;
  void onMouseOut() override;
  void onIdle() override;
  void onTextEntryFinished(bool accepted, const std::string& utf8Text) override;

  // Building the panel (user-interface thread, before the editor is attached).
  template <class Control, class... Args>
  Control* attachControl(Args&&... args) {
    auto control = std::make_unique<Control>(*this, std::forward<Args>(args)...);
    Control* result = control.get();
    addControl(std::move(control));
    return result;
  }
  void setLayout(std::unique_ptr<IEditorLayout> layout) { layout_ = std::move(layout); }
  void setSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  int controlCount() const { return static_cast<int>(controls_.size()); }
  IControl* control(int index) const { return controls_[static_cast<std::size_t>(index)].get(); }

  IPlugBase& plug() { return plug_; }
  // A control was moved by the user: the parameter, the host and the engine follow.
  void setParameterFromEditor(int index, double normalised);

  // Services for controls; they do nothing while no window is open.
  int showPopupMenu(const IPopupMenu& menu, int x, int y, const IPopupMenu*& chosenMenu);
  void promptTextEntry(IControl& asker, const IRECT& where, const std::string& initial, int maxLength);
  bool openWebPage(const std::string& url);
  IEditorWindowHost* windowHost() { return windowHost_.get(); }
  // A tick of the host's user-interface thread: an open window pumps its events, runs the idle
  // work and draws; without one the idle work runs here.
  void hostIdle();
  // The plug-in's own part of the idle work, run first in every idle tick (on whichever thread
  // pumps the window).
  void setIdleWork(std::function<void()> work) { idleWork_ = std::move(work); }

  // Tests and the snapshot tool put their own window host in.
  void setWindowHostFactory(WindowHostFactory factory) { hostFactory_ = std::move(factory); }

  // Any thread: something was left for the user-interface thread.
  void notePending() { pending_.store(true, std::memory_order_release); }
  // User-interface thread: takes up values and requests from other threads.
  void applyPending();

 private:
  void addControl(std::unique_ptr<IControl> control);
  IControl* controlAt(int x, int y) const;

  IPlugBase& plug_;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::unique_ptr<IControl>> controls_;
  // Controls per parameter index; fixed once the panel is built, read from any thread.
  std::vector<std::vector<IControl*>> bound_;
  std::unique_ptr<IEditorLayout> layout_;
  LICE_MemBitmap backBuffer_;
  bool allDirty_ = true;

  WindowHostFactory hostFactory_;
  std::function<void()> idleWork_;
  std::unique_ptr<IEditorWindowHost> windowHost_;
  std::atomic<bool> windowOpen_{false};
  std::atomic<bool> pending_{false};

  IControl* captured_ = nullptr;    // the control a mouse button went down on
  IControl* textAsker_ = nullptr;   // the control waiting for a text entry
};

}  // namespace sorvel
