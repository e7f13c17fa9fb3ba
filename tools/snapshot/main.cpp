// Draws the editor's panel without a display and writes it to PNG files: one picture with a
// chosen program, preset and panel state, or the whole set (programs 0 to 3 with the cover,
// every preset with the preset buttons showing).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/IGraphicsEditor.h"
#include "editor/LICE_PNG.h"
#include "editor/SorvelPanel.h"
#include "instrument/Sorvel.h"

namespace {

using namespace sorvel;

// A window that is never shown: the panel behaves as when open, menus and text entry stay shut.
class OffscreenWindowHost : public IEditorWindowHost {
 public:
  bool open(void* /*parent*/) override { return open_ = true; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void invalidate() override {}
  int showPopupMenu(const IPopupMenu& /*menu*/, int /*x*/, int /*y*/, const IPopupMenu*& chosen) override {
    chosen = nullptr;
    return -1;
  }
  void promptTextEntry(const IRECT& /*where*/, const std::string& /*initial*/, int /*maxLength*/) override {}
  bool openWebPage(const std::string& /*url*/) override { return false; }
  void setCursor(CursorShape /*shape*/) override {}

 private:
  bool open_ = false;
};

struct Picture {
  int program = 0;
  int preset = 0;
  bool coverOpen = false;  // preset buttons showing instead of the cover
};

bool snapshot(const Picture& picture, const std::string& path) {
  Sorvel synth(nullptr);
  SorvelPanel* panel = synth.panel();
  if (panel == nullptr) return false;
  IGraphicsEditor& graphics = panel->graphics();
  graphics.setWindowHostFactory([](IEditorView&) { return std::make_unique<OffscreenWindowHost>(); });
  // The program first: with the window open, loading it would turn the preset panel as well.
  synth.selectProgram(picture.program);
  if (!graphics.openWindow(nullptr)) return false;
  panel->selectPreset(picture.preset);
  if (picture.coverOpen) panel->togglePanel();
  graphics.markAllDirty();
  IRECT drawn;
  graphics.drawDirty(drawn);
  const bool written = LICE_WritePNG(path, graphics.backBuffer());
  graphics.closeWindow();
  return written;
}

bool parseNumber(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: sorvel-snapshot [--program 0-63] [--preset 0-18] [--open] OUT.png\n"
               "       sorvel-snapshot --all FOLDER\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Picture picture;
  std::string out;
  std::string all;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--program" && i + 1 < argc) {
      if (!parseNumber(argv[++i], 0, 63, picture.program)) return usage();
    } else if (arg == "--preset" && i + 1 < argc) {
      if (!parseNumber(argv[++i], 0, 18, picture.preset)) return usage();
    } else if (arg == "--open") {
      picture.coverOpen = true;
    } else if (arg == "--all" && i + 1 < argc) {
      all = argv[++i];
    } else if (out.empty() && arg.rfind("--", 0) != 0) {
      out = arg;
    } else {
      return usage();
    }
  }
  if (all.empty() == out.empty()) return usage();
  if (!out.empty()) {
    if (snapshot(picture, out)) return 0;
    std::fprintf(stderr, "sorvel-snapshot: cannot write %s\n", out.c_str());
    return 1;
  }
  std::error_code error;
  std::filesystem::create_directories(all, error);
  char name[64];
  for (int program = 0; program < 4; ++program) {
    std::snprintf(name, sizeof name, "/program-%02d.png", program);
    if (!snapshot({program, 0, false}, all + name)) return 1;
  }
  for (int preset = 0; preset < 19; ++preset) {
    std::snprintf(name, sizeof name, "/preset-%02d.png", preset);
    if (!snapshot({0, preset, true}, all + name)) return 1;
  }
  return 0;
}
