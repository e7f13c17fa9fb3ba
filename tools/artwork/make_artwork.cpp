// Draws every image of the editor into a folder, at the size and frame count of the image table.
//
//   make-artwork OUTPUT_FOLDER
//
// The output is a pure function of this code and the installed fonts; the PNGs are committed under
// resources/img/ so that builds without cairo still embed them.
#include <cairo.h>

#include <cstdio>
#include <string>

#include "resources/ImageTable.h"
#include "tools/artwork/Background.h"
#include "tools/artwork/Controls.h"

namespace {

using namespace artwork;

const TabSwitch* tabFor(int number) {
  for (const TabSwitch& tab : kTabSwitches) {
    if (tab.number == number) return &tab;
  }
  return nullptr;
}

// Draws frame `frame` of image `number` at the origin; false when the number is unknown.
bool drawFrame(cairo_t* cr, const sorvel::PanelImage& image, int frame, double frameHeight) {
  const double w = image.width;
  const double position = image.frames > 1 ? static_cast<double>(frame) / (image.frames - 1) : 0;
  if (const TabSwitch* tab = tabFor(image.number)) {
    drawTab(cr, *tab, frame == 1);
    return true;
  }
  static const char* const kVoiceCounts[] = {"1", "2", "4", "8", "16", "32", "64"};
  switch (image.number) {
    case 101: drawBackground(cr, w, frameHeight); return true;
    case 133: case 134: case 143: drawKnob(cr, w, position); return true;
    case 135: drawLever(cr, w, frameHeight, 2, frame == 1 ? 0 : 1); return true;  // on is up
    case 136: drawLever(cr, w, frameHeight, 3, frame); return true;
    case 137: drawVoiceCount(cr, w, frameHeight, kVoiceCounts[frame]); return true;
    case 138: drawLearnButton(cr, w, frameHeight, "LEARN", frame == 1, kColours.lamp); return true;
    case 139: drawLearnButton(cr, w, frameHeight, "UNLEARN", frame == 1, hex(0xff5a4a)); return true;
    case 140: drawLed(cr, w); return true;
    case 141: drawSelectButton(cr, w, frame == 1); return true;
    case 142: drawFlipButton(cr, w, frameHeight, frame == 1); return true;
    case 144: drawSelectStrip(cr, w, frameHeight); return true;
    case 145: drawRing(cr, w); return true;
    case 146: drawCover(cr, w, frameHeight); return true;
    case 147: case 148: drawStepButton(cr, w, image.number == 148, frame == 1); return true;
    default: return false;
  }
}

bool writeImage(const sorvel::PanelImage& image, const std::string& folder) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  const double frameHeight = static_cast<double>(image.height) / image.frames;
  bool drawn = true;
  for (int frame = 0; frame < image.frames && drawn; ++frame) {
    cairo_t* cr = cairo_create(surface);
    useDeterministicText(cr);
    cairo_rectangle(cr, 0, frame * frameHeight, image.width, frameHeight);
    cairo_clip(cr);
    cairo_translate(cr, 0, frame * frameHeight);
    drawn = drawFrame(cr, image, frame, frameHeight);
    cairo_destroy(cr);
  }
  const std::string name = image.name;
  const std::string path = folder + "/" + name.substr(name.rfind('/') + 1);
  const bool written = drawn && cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  if (!drawn) std::fprintf(stderr, "make-artwork: no drawing for image %d\n", image.number);
  if (drawn && !written) std::fprintf(stderr, "make-artwork: cannot write %s\n", path.c_str());
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-artwork OUTPUT_FOLDER\n");
    return 2;
  }
  for (const sorvel::PanelImage& image : sorvel::kPanelImages) {
    if (!writeImage(image, argv[1])) return 1;
  }
  return 0;
}
