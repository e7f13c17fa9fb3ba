// The instrument's panel: every control in its place, bound to its parameter, and the preset
// panel that shows one preset's eight knobs at a time.
#pragma once

#include <array>
#include <atomic>

#include "editor/IGraphicsEditor.h"
#include "editor/ITWControls.h"
#include "dsp/ParameterIds.h"

namespace sorvel {

class IPlugCommands;
class ITWPresetMenu;

class SorvelPanel : public IEditorLayout {
 public:
  static constexpr int kWidth = 1104;
  static constexpr int kHeight = 488;
  // Identifiers of the controls bound to no parameter.
  static constexpr int kDecoration = -1;
  static constexpr int kPreviousProgram = -238;
  static constexpr int kNextProgram = -239;
  static constexpr int kOptionMenu = -240;
  static constexpr int kMidiLearn = -241;
  static constexpr int kPanelToggle = -242;
  static constexpr int presetButtonId(int preset) { return -244 - preset; }

  // Builds the panel into the editor, which keeps it.
  static SorvelPanel& build(IGraphicsEditor& graphics, IPlugCommands& plug);

  // The preset panel: its eight knobs (and "PWM Speed" for 16' PWM), name and labels.
  void selectPreset(int preset);
  int selectedPreset() const { return selected_; }
  // Swaps the cover and the preset buttons; only while the window is open.
  void togglePanel();
  bool coverShown() const { return !cover_->isHidden(); }

  // Any thread: a preset switch turned, so the preset panel follows at the next idle.
  void requestPreset(int preset);
  // User-interface thread: the LFO indicators; a control is touched only when its state changes.
  void showIndicators(bool vibratoLfoHigh, bool sampleHoldLfoHigh);

  IGraphicsEditor& graphics() const { return graphics_; }
  ITWSwitchMidiLearn* learnButton() const { return learnButton_; }
  ITWPresetMenu* programMenu() const { return programMenu_; }
  IControl* vibratoIndicator() const { return vibratoLed_; }
  IControl* sampleHoldIndicator() const { return sampleHoldLed_; }

  void applyPending() override;

 private:
  SorvelPanel(IGraphicsEditor& graphics, IPlugCommands& plug);
  void buildFixedControls();
  void buildPresetPanel();
  void stepProgram(int step);

  IGraphicsEditor& graphics_;
  IPlugCommands& plug_;
  int selected_ = 0;
  std::atomic<int> requestedPreset_{-1};

  std::array<IControl*, kPresetCount> selectButtons_{};
  std::array<ITWUtilityFlip*, kPresetCount> flipButtons_{};
  std::array<std::array<IControl*, kPresetSlotCount>, kPresetCount> presetKnobs_{};
  IControl* pwmSpeed_ = nullptr;
  IControl* strip_ = nullptr;
  IControl* ring_ = nullptr;
  IControl* cover_ = nullptr;
  ITWTextLabel* presetName_ = nullptr;
  std::array<ITWTextLabel*, 3> presetLabels_{};
  ITWSwitchMidiLearn* learnButton_ = nullptr;
  ITWPresetMenu* programMenu_ = nullptr;
  IControl* vibratoLed_ = nullptr;
  IControl* sampleHoldLed_ = nullptr;
};

}  // namespace sorvel
