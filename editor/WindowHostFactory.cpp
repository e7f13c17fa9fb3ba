#include "editor/IEditorWindowHost.h"

#if defined(__linux__)
#include "editor/x11/X11WindowHost.h"
#endif

namespace sorvel {

namespace {

// Stands in where no desktop window can be made: opens, shows no menu, takes no text.
class HeadlessWindowHost : public IEditorWindowHost {
 public:
  bool open(void* /*parentWindow*/) override {
    open_ = true;
    return true;
  }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void invalidate() override {}
  int showPopupMenu(const IPopupMenu& /*menu*/, int /*x*/, int /*y*/, const IPopupMenu*& chosenMenu) override {
    chosenMenu = nullptr;
    return -1;
  }
  void promptTextEntry(const IRECT& /*where*/, const std::string& /*initialUtf8*/, int /*maxLength*/) override {}
  bool openWebPage(const std::string& /*url*/) override { return false; }
  void setCursor(CursorShape /*shape*/) override {}

 private:
  bool open_ = false;
};

}  // namespace

std::unique_ptr<IEditorWindowHost> makeWindowHost([[maybe_unused]] IEditorView& view) {
#if defined(__linux__)
  return std::make_unique<X11WindowHost>(view);
#else
  return std::make_unique<HeadlessWindowHost>();
#endif
}

}  // namespace sorvel
