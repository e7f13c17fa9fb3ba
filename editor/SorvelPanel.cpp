#include "editor/SorvelPanel.h"

#include <cstdio>

#include "dsp/ParameterIds.h"
#include "editor/IPlugCommands.h"
#include "editor/ITWMenus.h"
#include "editor/ImageCache.h"
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

// Resource numbers of the images.
namespace image {
constexpr int kBackground = 101, kFirstPerformanceSwitch = 103, kFirstSyntheSwitch = 113, kFirstToneSwitch = 122;
constexpr int kKnob = 133, kSmallKnob = 134, kSwitch2 = 135, kSwitch3 = 136, kVoices = 137;
constexpr int kLearn = 138, kUnlearn = 139, kLed = 140, kKick = 141, kFlip = 142, kTrimpot = 143;
constexpr int kKicks = 144, kRing = 145, kCover = 146, kPrev = 147, kNext = 148;
}  // namespace image

// The three labels under the filter knobs: tones with a two-band filter mix a low and a high
// band, the sample-and-hold footage modulates its filter, the rest sweep it by envelope.
std::array<const char*, 3> filterLabels(int preset) {
  const bool twoBand = preset == kClavi16 || preset == kFuzzGuitar16 || preset >= kClarinet8;
  if (twoBand) return {"LOW", "HIGH", "MIX"};
  if (preset == kSampleHold16) return {"CUTOFF", "RESONANCE", "S/H MOD"};
  return {"CUTOFF", "RESONANCE", "ENV MOD"};
}

}  // namespace

SorvelPanel& SorvelPanel::build(IGraphicsEditor& graphics, IPlugCommands& plug) {
  auto panel = std::unique_ptr<SorvelPanel>(new SorvelPanel(graphics, plug));
  SorvelPanel& result = *panel;
  graphics.setLayout(std::move(panel));
  return result;
}

SorvelPanel::SorvelPanel(IGraphicsEditor& graphics, IPlugCommands& plug) : graphics_(graphics), plug_(plug) {
  graphics_.setSize(kWidth, kHeight);
  graphics_.attachControl<IBitmapControl>(0, 0, bitmap(image::kBackground));
  buildFixedControls();
  buildPresetPanel();
}

void SorvelPanel::buildFixedControls() {
  IGraphicsEditor& g = graphics_;
  const IBitmap smallKnob = bitmap(image::kSmallKnob);
  // Performance switches "Oct Down" to "Key Hold"; ring modulator and footages; tones.
  for (int k = 0; k < 10; ++k) {
    g.attachControl<ISwitchControl>(24 + 32 * k, 136, kOctaveDown + k, bitmap(image::kFirstPerformanceSwitch + k));
  }
  for (int k = 0; k < 9; ++k) {
    g.attachControl<ISwitchControl>(408 + 32 * k, 136, kRingMod + k, bitmap(image::kFirstSyntheSwitch + k));
  }
  for (int k = 0; k < 11; ++k) {
    g.attachControl<ISwitchControl>(728 + 32 * k, 136, presetSwitch(kElectricBass32) + k,
                                    bitmap(image::kFirstToneSwitch + k));
  }
  g.attachControl<ISwitchControl>(403, 366, kVoices, bitmap(image::kVoices));
  g.attachControl<ISwitchFramesControl>(224, 282, kSensorMode, bitmap(image::kSwitch3));
  g.attachControl<ISwitchFramesControl>(272, 282, kSensorDestination, bitmap(image::kSwitch3));

  const int performanceKnobs[] = {kMasterTune,         kSynthTune, kPortamentoTime, kSensorIntensity, kJoystickSyntheRange,
                                  kJoystickInstrumentRange, kLfoDepth, kLfoSpeed,  kLfoDelay};
  for (int k = 0; k < 9; ++k) g.attachControl<IKnobMultiControl>(28 + 32 * k, 76, performanceKnobs[k], smallKnob);
  for (int k = 0; k < 9; ++k) g.attachControl<IKnobMultiControl>(412 + 32 * k, 76, kSynthePitch + k, smallKnob);
  for (int k = 0; k < 11; ++k) g.attachControl<IKnobMultiControl>(732 + 32 * k, 76, kElectricBassCutoff + k, smallKnob);

  g.attachControl<IKnobMultiControl>(52, 288, kVolume, bitmap(image::kKnob));
  g.attachControl<IKnobMultiControl>(148, 288, kBalance, bitmap(image::kKnob));
  g.attachControl<IKnobMultiControl>(338, 292, kPanSynthe, smallKnob);
  g.attachControl<IKnobMultiControl>(406, 292, kPanInstrument, smallKnob);
  g.attachControl<IKnobMultiControl>(406, 412, kVelocity, smallKnob);

  // The four modulation routes: depth knob and source menu.
  const int depthX[] = {36, 36, 208, 208}, depthY[] = {364, 412, 364, 412};
  const int sources[] = {kVibratoSource, kNoiseSource, kLowPassSource, kHighPassSource};
  const int depths[] = {kVibratoDepth, kNoiseDepth, kLowPassDepth, kHighPassDepth};
  IText source{11, kDisplayText, TextAlign::Center, "Arial"};
  for (int r = 0; r < 4; ++r) {
    g.attachControl<IKnobMultiControl>(depthX[r], depthY[r], depths[r], smallKnob);
    const IRECT menuRect{depthX[r] + 32, depthY[r] + 6, depthX[r] + 160, depthY[r] + 18};
    g.attachControl<ITWPopUpMenuControl>(menuRect, sources[r], source);
  }

  g.attachControl<ISwitchControl>(926, 366, kChorus, bitmap(image::kSwitch2));
  g.attachControl<IKnobMultiControl>(980, 364, kChorusSyntheMix, smallKnob);
  g.attachControl<IKnobMultiControl>(1038, 364, kChorusInstrumentMix, smallKnob);
  for (int i = 0; i < 3; ++i) g.attachControl<IKnobMultiControl>(922 + 58 * i, 412, kChorusLfo1 + i, smallKnob);

  IText display{13, kDisplayText, TextAlign::Center, "Arial"};
  programMenu_ = g.attachControl<ITWPresetMenu>(plug_, IRECT{477, 296, 502, 312}, IRECT{510, 296, 702, 312}, display,
                                                kDisplayBackground);
  g.attachControl<ITWUtilityKick>(706, 294, bitmap(image::kPrev), kPreviousProgram, [this] { stepProgram(-1); });
  g.attachControl<ITWUtilityKick>(730, 294, bitmap(image::kNext), kNextProgram, [this] { stepProgram(1); });
  g.attachControl<ITWOptionMenu>(plug_, IRECT{770, 294, 790, 314}, kOptionMenu);
  learnButton_ = g.attachControl<ITWSwitchMidiLearn>(811, 293, plug_, bitmap(image::kLearn), bitmap(image::kUnlearn),
                                                     kMidiLearn);

  // Lit while the vibrato LFO and the sample-and-hold clock are in the upper half of their swing:
  // right of the LFO's knobs and above the clock knob.
  vibratoLed_ = g.attachControl<IBitmapControl>(324, 84, bitmap(image::kLed));
  sampleHoldLed_ = g.attachControl<IBitmapControl>(516, 62, bitmap(image::kLed));
  vibratoLed_->hide(true);
  sampleHoldLed_->hide(true);
}

void SorvelPanel::buildPresetPanel() {
  IGraphicsEditor& g = graphics_;
  const auto select = [this](int preset) { selectPreset(preset); };
  strip_ = g.attachControl<IBitmapControl>(449, 213, bitmap(image::kKicks));
  for (int i = 0; i < kPresetCount; ++i) {
    const int x = i < 8 ? (i - 1) * 32 + 480 : i * 32 + 480;
    selectButtons_[i] = g.attachControl<ITWUtilityKick>(x, 212, bitmap(image::kKick), presetButtonId(i), [this, i] { selectPreset(i); });
    flipButtons_[i] = g.attachControl<ITWUtilityFlip>(456 + 23 * i, 353, bitmap(image::kFlip), presetButtonId(i), i, select);
  }
  for (int i = 0; i < kPresetCount; ++i) {
    const IBitmap trimpot = bitmap(image::kTrimpot);
    for (int j = 0; j < 4; ++j) {
      const auto filterSlot = static_cast<PresetSlot>(kPresetGain + j);
      const auto envelopeSlot = static_cast<PresetSlot>(kPresetAttack + j);
      presetKnobs_[i][j] = g.attachControl<IKnobMultiControl>(472 + 56 * j, 408, presetParameter(i, filterSlot), trimpot);
      presetKnobs_[i][4 + j] =
          g.attachControl<IKnobMultiControl>(700 + 50 * j, 408, presetParameter(i, envelopeSlot), trimpot);
    }
  }
  pwmSpeed_ = g.attachControl<IKnobMultiControl>(640, 376, kPwmSpeed, bitmap(image::kTrimpot));
  presetName_ = g.attachControl<ITWTextLabel>(IRECT{520, 383, 742, 399}, IText{12, kLabelText, TextAlign::Left, "Arial"});
  // Each label is centred under its knob in its 56 pixels, which it keeps to.
  for (int k = 0; k < 3; ++k) {
    const int x = 516 + 56 * k;
    presetLabels_[k] = g.attachControl<ITWTextLabel>(IRECT{x, 440, x + 56, 454}, IText{11, kLabelText, TextAlign::Center, "Arial"});
  }
  ring_ = g.attachControl<ITWUtilityKick>(918, 290, bitmap(image::kRing), kPanelToggle, [this] { togglePanel(); });
  cover_ = g.attachControl<ITWUtilityKick>(455, 351, bitmap(image::kCover), kPanelToggle, [this] { togglePanel(); });

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
  pwmSpeed_->hide(preset != kPwm16);
  presetName_->setText(kChannelNames[static_cast<std::size_t>(preset)]);
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
  const int count = graphics_.plug().programCount();
  if (count <= 0) return;
  plug_.selectProgram((graphics_.plug().currentProgram() + step + count) % count);
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
