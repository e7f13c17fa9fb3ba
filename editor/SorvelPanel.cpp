#include "editor/SorvelPanel.h"

#include <cstdio>

#include "editor/ITWMenus.h"
#include "editor/ImageCache.h"
#include "instrument/PresetDefaults.h"
#include "instrument/Synth.h"
#include "resources/ImageTable.h"

namespace sorvel {

namespace {

// Colours of the text controls, matching the artwork's display and label colours.
constexpr LICE_pixel kDisplayBackground = LICE_RGBA(0x16, 0x17, 0x1a, 255);
constexpr LICE_pixel kDisplayText = LICE_RGBA(0xf2, 0xb8, 0x5c, 255);
constexpr LICE_pixel kLabelText = LICE_RGBA(0xe4, 0xdd, 0xcc, 255);

// The panel's images by resource number; each is decoded once per process.
IBitmap bitmap(int number) {
  for (const PanelImage& image : kPanelImages) {
    if (image.number == number) {
      return {LICE_LoadImage(number, image.name), image.frames, image.width, image.height / image.frames};
    }
  }
  return {};
}

constexpr int kBackground = 101, kFirstPerformanceSwitch = 103, kFirstSyntheSwitch = 113, kFirstToneSwitch = 122;
constexpr int kKnob = 133, kSmallKnob = 134, kSwitch2 = 135, kSwitch3 = 136, kVoices = 137;
constexpr int kLearnImage = 138, kUnlearnImage = 139, kLed = 140, kKick = 141, kFlip = 142, kTrimpot = 143;
constexpr int kKicks = 144, kRing = 145, kCover = 146, kPrev = 147, kNext = 148;

constexpr int kPwmPreset = 3;        // 16' PWM
constexpr int kSampleHoldPreset = 2;  // 16' S/H
constexpr int kPwmSpeedParameter = 82;

// The three labels under the filter knobs: tones with a two-band filter mix a low and a high
// band, the sample-and-hold footage modulates its filter, the rest sweep it by envelope.
std::array<const char*, 3> filterLabels(int preset) {
  const bool twoBand = preset == 10 || preset == 11 || (preset >= 14 && preset <= 18);
  if (twoBand) return {"LOW", "HIGH", "MIX"};
  if (preset == kSampleHoldPreset) return {"CUTOFF", "RESONANCE", "S/H MOD"};
  return {"CUTOFF", "RESONANCE", "ENV MOD"};
}

}  // namespace

SorvelPanel& SorvelPanel::build(IGraphicsEditor& graphics, Synth& synth) {
  auto panel = std::unique_ptr<SorvelPanel>(new SorvelPanel(graphics, synth));
  SorvelPanel& result = *panel;
  graphics.setLayout(std::move(panel));
  return result;
}

SorvelPanel::SorvelPanel(IGraphicsEditor& graphics, Synth& synth) : graphics_(graphics), synth_(synth) {
  graphics_.setSize(kWidth, kHeight);
  graphics_.attachControl<IBitmapControl>(0, 0, bitmap(kBackground));
  buildFixedControls();
  buildPresetPanel();
}

void SorvelPanel::buildFixedControls() {
  IGraphicsEditor& g = graphics_;
  // Performance switches "Oct Down" to "Key Hold", ring modulator and footages, tones.
  for (int k = 0; k < 10; ++k) g.attachControl<ISwitchControl>(24 + 32 * k, 136, 19 + k, bitmap(kFirstPerformanceSwitch + k));
  for (int k = 0; k < 9; ++k) g.attachControl<ISwitchControl>(408 + 32 * k, 136, 36 + k, bitmap(kFirstSyntheSwitch + k));
  for (int k = 0; k < 11; ++k) g.attachControl<ISwitchControl>(728 + 32 * k, 136, 45 + k, bitmap(kFirstToneSwitch + k));
  g.attachControl<ISwitchControl>(403, 366, 1, bitmap(kVoices));
  g.attachControl<ISwitchFramesControl>(224, 282, 5, bitmap(kSwitch3));  // "KBS Mode"
  g.attachControl<ISwitchFramesControl>(272, 282, 6, bitmap(kSwitch3));  // "KBS Dest"

  const int performanceKnobs[] = {7, 8, 29, 30, 31, 32, 33, 34, 35};
  for (int k = 0; k < 9; ++k) g.attachControl<IKnobMultiControl>(28 + 32 * k, 76, performanceKnobs[k], bitmap(kSmallKnob));
  for (int k = 0; k < 9; ++k) g.attachControl<IKnobMultiControl>(412 + 32 * k, 76, 56 + k, bitmap(kSmallKnob));
  for (int k = 0; k < 11; ++k) g.attachControl<IKnobMultiControl>(732 + 32 * k, 76, 65 + k, bitmap(kSmallKnob));

  g.attachControl<IKnobMultiControl>(52, 288, 2, bitmap(kKnob));   // "Volume"
  g.attachControl<IKnobMultiControl>(148, 288, 4, bitmap(kKnob));  // "Balance"
  g.attachControl<IKnobMultiControl>(338, 292, 9, bitmap(kSmallKnob));
  g.attachControl<IKnobMultiControl>(406, 292, 10, bitmap(kSmallKnob));
  g.attachControl<IKnobMultiControl>(406, 412, 3, bitmap(kSmallKnob));  // "Velocity"

  // The four modulation routes: depth knob and source menu.
  const int depthX[] = {36, 36, 208, 208}, depthY[] = {364, 412, 364, 412};
  IText source{11, kDisplayText, TextAlign::Center, "Arial"};
  for (int r = 0; r < 4; ++r) {
    g.attachControl<IKnobMultiControl>(depthX[r], depthY[r], 12 + 2 * r, bitmap(kSmallKnob));
    const IRECT menuRect{depthX[r] + 32, depthY[r] + 6, depthX[r] + 160, depthY[r] + 18};
    g.attachControl<ITWPopUpMenuControl>(menuRect, 11 + 2 * r, source);
  }

  g.attachControl<ISwitchControl>(926, 366, 76, bitmap(kSwitch2));  // "Chorus"
  g.attachControl<IKnobMultiControl>(980, 364, 77, bitmap(kSmallKnob));
  g.attachControl<IKnobMultiControl>(1038, 364, 78, bitmap(kSmallKnob));
  for (int i = 0; i < 3; ++i) g.attachControl<IKnobMultiControl>(922 + 58 * i, 412, 79 + i, bitmap(kSmallKnob));

  IText display{13, kDisplayText, TextAlign::Center, "Arial"};
  programMenu_ = g.attachControl<ITWPresetMenu>(synth_, IRECT{477, 296, 502, 312}, IRECT{510, 296, 702, 312}, display,
                                                kDisplayBackground);
  g.attachControl<ITWUtilityKick>(706, 294, bitmap(kPrev), kPreviousProgram, [this] { stepProgram(-1); });
  g.attachControl<ITWUtilityKick>(730, 294, bitmap(kNext), kNextProgram, [this] { stepProgram(1); });
  g.attachControl<ITWOptionMenu>(synth_, IRECT{770, 294, 790, 314});
  learnButton_ = g.attachControl<ITWSwitchMidiLearn>(811, 293, synth_, bitmap(kLearnImage), bitmap(kUnlearnImage),
                                                     kMidiLearn);

  // Lit while the vibrato LFO and the sample-and-hold clock are in the upper half of their swing.
  vibratoLed_ = g.attachControl<IBitmapControl>(324, 84, bitmap(kLed));
  sampleHoldLed_ = g.attachControl<IBitmapControl>(516, 62, bitmap(kLed));
  vibratoLed_->hide(true);
  sampleHoldLed_->hide(true);
}

void SorvelPanel::buildPresetPanel() {
  IGraphicsEditor& g = graphics_;
  const auto select = [this](int preset) { selectPreset(preset); };
  strip_ = g.attachControl<IBitmapControl>(449, 213, bitmap(kKicks));
  for (int i = 0; i < kPresetCount; ++i) {
    const int x = i < 8 ? (i - 1) * 32 + 480 : i * 32 + 480;
    selectButtons_[i] = g.attachControl<ITWUtilityKick>(x, 212, bitmap(kKick), presetButtonId(i), [this, i] { selectPreset(i); });
    flipButtons_[i] = g.attachControl<ITWUtilityFlip>(456 + 23 * i, 353, bitmap(kFlip), presetButtonId(i), i, select);
  }
  for (int i = 0; i < kPresetCount; ++i) {
    const int first = kFirstPresetParameter + kPresetSlotCount * i;
    for (int j = 0; j < 4; ++j) {
      presetKnobs_[i][j] = g.attachControl<IKnobMultiControl>(472 + 56 * j, 408, first + j, bitmap(kTrimpot));
      presetKnobs_[i][4 + j] = g.attachControl<IKnobMultiControl>(700 + 50 * j, 408, first + 4 + j, bitmap(kTrimpot));
    }
  }
  pwmSpeed_ = g.attachControl<IKnobMultiControl>(640, 376, kPwmSpeedParameter, bitmap(kTrimpot));
  presetName_ = g.attachControl<ITWTextLabel>(IRECT{520, 383, 742, 399}, IText{12, kLabelText, TextAlign::Left, "Arial"});
  // Each label is centred under its knob in its 56 pixels, which it keeps to.
  for (int k = 0; k < 3; ++k) {
    const int x = 516 + 56 * k;
    presetLabels_[k] = g.attachControl<ITWTextLabel>(IRECT{x, 440, x + 56, 454}, IText{11, kLabelText, TextAlign::Center, "Arial"});
  }
  ring_ = g.attachControl<ITWUtilityKick>(918, 290, bitmap(kRing), kPanelToggle, [this] { togglePanel(); });
  cover_ = g.attachControl<ITWUtilityKick>(455, 351, bitmap(kCover), kPanelToggle, [this] { togglePanel(); });

  for (IControl* c : selectButtons_) c->hide(true);
  for (IControl* c : flipButtons_) c->hide(true);
  strip_->hide(true);
  ring_->hide(true);
  selectPreset(0);
}

void SorvelPanel::selectPreset(int preset) {
  if (preset < 0 || preset >= kPresetCount) return;
  selected_ = preset;
  for (ITWUtilityFlip* flip : flipButtons_) flip->showSelection(preset);
  for (int i = 0; i < kPresetCount; ++i) {
    for (IControl* knob : presetKnobs_[i]) knob->hide(i != preset);
  }
  pwmSpeed_->hide(preset != kPwmPreset);
  presetName_->setText(presetSectionWord(preset));
  const auto labels = filterLabels(preset);
  for (int k = 0; k < 3; ++k) presetLabels_[k]->setText(labels[k]);
}

void SorvelPanel::togglePanel() {
  if (!graphics_.windowIsOpen()) return;
  const bool showCover = cover_->isHidden();
  cover_->hide(!showCover);
  for (IControl* c : selectButtons_) c->hide(showCover);
  for (IControl* c : flipButtons_) c->hide(showCover);
  strip_->hide(showCover);
  ring_->hide(showCover);
}

void SorvelPanel::stepProgram(int step) {
  const int count = synth_.programCount();
  if (count <= 0) return;
  synth_.selectProgram((synth_.currentProgram() + step + count) % count);
  graphics_.markAllDirty();
}

void SorvelPanel::requestPreset(int preset) {
  if (preset < 0 || preset >= kPresetCount) return;
  requestedPreset_.store(preset, std::memory_order_release);
  graphics_.notePending();
}

void SorvelPanel::showIndicators(bool vibratoLfoHigh, bool sampleHoldLfoHigh) {
  vibratoLed_->hide(!vibratoLfoHigh);
  sampleHoldLed_->hide(!sampleHoldLfoHigh);
}

void SorvelPanel::applyPending() {
  const int preset = requestedPreset_.exchange(-1, std::memory_order_acquire);
  if (preset >= 0) selectPreset(preset);
}

}  // namespace sorvel
