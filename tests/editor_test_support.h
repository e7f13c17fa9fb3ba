// The instrument with its editor in a scripted window: menus answered by the test, text entry
// and web pages recorded, and the host's callbacks recorded.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/IGraphicsEditor.h"
#include "editor/SorvelPanel.h"
#include "framework/vst2.h"
#include "instrument/Sorvel.h"

namespace editortest {

using namespace sorvel;

struct HostCall {
  int opcode;
  int index;
  float value;
};

inline std::vector<HostCall>& hostCalls() {
  static std::vector<HostCall> calls;
  return calls;
}

inline vst2::VstIntPtr recordingHost(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr,
                                     void*, float value) {
  if (opcode == vst2::audioMasterBeginEdit || opcode == vst2::audioMasterEndEdit ||
      opcode == vst2::audioMasterAutomate) {
    hostCalls().push_back({opcode, index, value});
  }
  return 0;
}

class ScriptedWindowHost : public IEditorWindowHost {
 public:
  // Answers a menu: returns the chosen item and sets the menu it is in; -1 cancels.
  std::function<int(const IPopupMenu& menu, const IPopupMenu*& chosen)> menuAnswer;
  int menusShown = 0;
  std::string promptedText;
  std::string webPage;

  bool open(void*) override { return open_ = true; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void invalidate() override {}
  int showPopupMenu(const IPopupMenu& menu, int, int, const IPopupMenu*& chosen) override {
    ++menusShown;
    chosen = nullptr;
    return menuAnswer ? menuAnswer(menu, chosen) : -1;
  }
  void promptTextEntry(const IRECT&, const std::string& initial, int) override { promptedText = initial; }
  bool openWebPage(const std::string& url) override {
    webPage = url;
    return true;
  }
  void setCursor(CursorShape) override {}

 private:
  bool open_ = false;
};

class EditorRig {
 public:
  Sorvel synth{recordingHost};
  SorvelPanel& panel = *synth.panel();
  IGraphicsEditor& graphics = panel.graphics();
  ScriptedWindowHost* host = nullptr;

  EditorRig() {
    graphics.setWindowHostFactory([this](IEditorView&) {
      auto made = std::make_unique<ScriptedWindowHost>();
      host = made.get();
      return made;
    });
    graphics.openWindow(nullptr);
    settle();
    hostCalls().clear();
  }

  // Draws what is dirty, so that the next change starts from a clean panel.
  void settle() {
    IRECT drawn;
    graphics.drawDirty(drawn);
  }

  // The n-th control with this identifier (parameter index or negative identifier).
  IControl* find(int identifier, int n = 0) const {
    for (int i = 0; i < graphics.controlCount(); ++i) {
      if (graphics.control(i)->identifier() == identifier && n-- == 0) return graphics.control(i);
    }
    ADD_FAILURE() << "no control " << identifier;
    return nullptr;
  }

  template <class Control>
  std::vector<Control*> all() const {
    std::vector<Control*> found;
    for (int i = 0; i < graphics.controlCount(); ++i) {
      if (auto* c = dynamic_cast<Control*>(graphics.control(i))) found.push_back(c);
    }
    return found;
  }

  void click(const IControl* control, IMouseMod mod = {true}) {
    const IRECT& r = control->rect();
    clickAt((r.L + r.R) / 2, (r.T + r.B) / 2, mod);
  }
  void clickAt(int x, int y, IMouseMod mod = {true}) {
    graphics.onMouseDown(x, y, mod);
    graphics.onMouseUp(x, y, mod);
  }

  std::vector<const IControl*> dirtyControls() const {
    std::vector<const IControl*> dirty;
    for (int i = 0; i < graphics.controlCount(); ++i) {
      if (graphics.control(i)->isDirty()) dirty.push_back(graphics.control(i));
    }
    return dirty;
  }
};

}  // namespace editortest
