// The editor through its own object and a scripted window: knob and switch gestures, the preset
// panel, the program controls, the menus, values from the host, MIDI learn and the indicators.
#include <algorithm>

#include "editor/ITWMenus.h"
#include "dsp/ParameterIds.h"
#include "tests/alloc_counter.h"
#include "tests/editor_test_support.h"

namespace editortest {
namespace {

using vst2::audioMasterAutomate;
using vst2::audioMasterBeginEdit;
using vst2::audioMasterEndEdit;

int opcodeCount(int opcode, int index) {
  return static_cast<int>(std::count_if(hostCalls().begin(), hostCalls().end(),
                                        [&](const HostCall& c) { return c.opcode == opcode && c.index == index; }));
}

TEST(EditorKnob, DragFollowsTheGearingWheelStepsDoubleClickRestoresAndEachGestureIsOneEdit) {
  EditorRig rig;
  for (int index : {kVolume, kChorusSyntheMix}) {  // a large and a small knob
    SCOPED_TRACE(index);
    IControl* knob = rig.find(index);
    const IParam* p = rig.synth.parameter(index);
    const IRECT r = knob->rect();
    const int x = r.L + 4, y = r.T + 4;
    hostCalls().clear();

    rig.graphics.onMouseDblClick(x, y, {true});
    rig.graphics.onMouseUp(x, y, {true});
    EXPECT_DOUBLE_EQ(p->normalised(), p->toNormalised(p->defaultValue()));
    const double start = p->normalised();

    rig.graphics.onMouseDown(x, y, {true});
    rig.graphics.onMouseDrag(x, y - 10, 0, -10, {true});
    rig.graphics.onMouseDrag(x, y - 16, 0, -6, {true});
    rig.graphics.onMouseUp(x, y - 16, {true});
    const double gearing = IKnobMultiControl::kDefaultGearing;
    EXPECT_NEAR(p->normalised(), start + 16.0 / (gearing * r.H()), 1e-12);
    EXPECT_EQ(hostCalls().back().opcode, audioMasterEndEdit);
    EXPECT_FLOAT_EQ(hostCalls()[hostCalls().size() - 2].value, static_cast<float>(p->normalised()));

    const double dragged = p->normalised();
    rig.graphics.onMouseWheel(x, y, {}, -1.0f);
    EXPECT_NEAR(p->normalised(), dragged - IKnobMultiControl::kWheelStep, 1e-12);

    // Double click, drag and wheel: three gestures, each begun and ended once.
    EXPECT_EQ(opcodeCount(audioMasterBeginEdit, index), 3);
    EXPECT_EQ(opcodeCount(audioMasterEndEdit, index), 3);
    EXPECT_EQ(opcodeCount(audioMasterAutomate, index), 4);
  }
}

TEST(EditorSwitch, ClickTogglesItsParameterAndAThreePositionSwitchTakesThePositionClicked) {
  EditorRig rig;
  const IParam* octaveDown = rig.synth.parameter(kOctaveDown);
  const double before = octaveDown->value();
  rig.click(rig.find(kOctaveDown));
  EXPECT_EQ(octaveDown->value(), 1.0 - before);
  rig.click(rig.find(kOctaveDown));
  EXPECT_EQ(octaveDown->value(), before);

  const IControl* mode = rig.find(kSensorMode);
  const IParam* kbsMode = rig.synth.parameter(kSensorMode);
  rig.clickAt(mode->rect().L + 2, mode->rect().B - 2);
  EXPECT_EQ(kbsMode->value(), kbsMode->maximum());
  rig.clickAt(mode->rect().L + 2, mode->rect().T + 1);
  EXPECT_EQ(kbsMode->value(), kbsMode->minimum());
}

std::vector<int> shownPresetKnobs(const EditorRig& rig) {
  std::vector<int> shown;
  for (auto* knob : rig.all<IKnobMultiControl>()) {
    if (knob->paramIdx() >= kPwmSpeed && !knob->isHidden()) shown.push_back(knob->paramIdx());
  }
  std::sort(shown.begin(), shown.end());
  return shown;
}

std::vector<std::string> labelTexts(const EditorRig& rig) {
  std::vector<std::string> texts;
  for (auto* label : rig.all<ITWTextLabel>()) texts.push_back(label->text());
  return texts;
}

TEST(EditorPresetPanel, EachPresetShowsExactlyItsEightKnobsNameAndLabels) {
  EditorRig rig;
  rig.click(rig.find(SorvelPanel::kPanelToggle, 1));  // the cover
  for (int s = 0; s < kPresetCount; ++s) {
    SCOPED_TRACE(s);
    auto* flip = dynamic_cast<ITWUtilityFlip*>(rig.find(SorvelPanel::presetButtonId(s), 1));
    ASSERT_NE(flip, nullptr);
    rig.click(flip);
    EXPECT_EQ(rig.panel.selectedPreset(), s);
    std::vector<int> expected;
    for (int j = 0; j < kPresetSlotCount; ++j) expected.push_back(presetParameter(s, static_cast<PresetSlot>(j)));
    if (s == kPwm16) expected.insert(expected.begin(), kPwmSpeed);
    EXPECT_EQ(shownPresetKnobs(rig), expected);
    EXPECT_EQ(labelTexts(rig).front(), kChannelNames[static_cast<std::size_t>(s)]);
    for (auto* other : rig.all<ITWUtilityFlip>()) EXPECT_EQ(other->value() > 0.5, other == flip);
  }
  const auto labelsOf = [&](int s) {
    rig.click(rig.find(SorvelPanel::presetButtonId(s), 0));  // its select button
    const auto texts = labelTexts(rig);
    return std::vector<std::string>(texts.begin() + 1, texts.end());
  };
  EXPECT_EQ(labelsOf(kNoise), (std::vector<std::string>{"CUTOFF", "RESONANCE", "ENV MOD"}));
  EXPECT_EQ(labelsOf(kSampleHold16), (std::vector<std::string>{"CUTOFF", "RESONANCE", "S/H MOD"}));
  EXPECT_EQ(labelsOf(kClavi16), (std::vector<std::string>{"LOW", "HIGH", "MIX"}));
  EXPECT_EQ(labelsOf(kTrumpet8), (std::vector<std::string>{"CUTOFF", "RESONANCE", "ENV MOD"}));
  EXPECT_EQ(labelsOf(kHammeredPerc4), (std::vector<std::string>{"LOW", "HIGH", "MIX"}));
}

TEST(EditorPresetPanel, ToggleSwapsCoverAndButtonsOnlyWhileTheWindowIsOpen) {
  EditorRig rig;
  const auto buttonsShown = [&] {
    int shown = 0;
    for (int s = 0; s < kPresetCount; ++s) {
      shown += !rig.find(SorvelPanel::presetButtonId(s), 0)->isHidden();
      shown += !rig.find(SorvelPanel::presetButtonId(s), 1)->isHidden();
    }
    return shown + !rig.find(SorvelPanel::kPanelToggle, 0)->isHidden();
  };
  EXPECT_TRUE(rig.panel.coverShown());
  EXPECT_EQ(buttonsShown(), 0);
  rig.click(rig.find(SorvelPanel::kPanelToggle, 1));
  EXPECT_FALSE(rig.panel.coverShown());
  EXPECT_EQ(buttonsShown(), 2 * kPresetCount + 1);
  rig.click(rig.find(SorvelPanel::kPanelToggle, 0));
  EXPECT_TRUE(rig.panel.coverShown());
  EXPECT_EQ(buttonsShown(), 0);

  rig.graphics.closeWindow();
  rig.panel.togglePanel();
  EXPECT_TRUE(rig.panel.coverShown());
}

TEST(EditorPresetPanel, APresetSwitchTurnsThePanelWhileTheWindowIsOpen) {
  EditorRig rig;
  rig.synth.setParameterFromEditor(presetSwitch(kPulse8), 1.0);
  rig.graphics.onIdle();
  EXPECT_EQ(rig.panel.selectedPreset(), kPulse8);
  rig.graphics.closeWindow();
  rig.synth.setParameterFromEditor(presetSwitch(kSaw4), 1.0);
  rig.graphics.onIdle();
  EXPECT_EQ(rig.panel.selectedPreset(), kPulse8);
}

TEST(EditorProgram, PreviousAndNextWrapAndTheNameIsEditedInPlace) {
  EditorRig rig;
  rig.synth.selectProgram(0);
  rig.click(rig.find(SorvelPanel::kPreviousProgram));
  EXPECT_EQ(rig.synth.currentProgram(), 63);
  rig.click(rig.find(SorvelPanel::kNextProgram));
  EXPECT_EQ(rig.synth.currentProgram(), 0);
  rig.click(rig.find(SorvelPanel::kNextProgram));
  EXPECT_EQ(rig.synth.currentProgram(), 1);

  const std::string name = rig.synth.programName(1);
  rig.clickAt(600, 304);  // on the name
  EXPECT_EQ(rig.host->promptedText, name);
  rig.graphics.onTextEntryFinished(true, "Evening Strings");
  EXPECT_EQ(rig.synth.programName(1), "Evening Strings");
  EXPECT_EQ(rig.host->menusShown, 0);
}

TEST(EditorProgram, ListChecksTheCurrentProgramAndAChoiceSelectsByGroup) {
  EditorRig rig;
  rig.synth.selectProgram(17);
  int checkedGroup = -1, checkedItem = -1, checkedCount = 0;
  rig.host->menuAnswer = [&](const IPopupMenu& menu, const IPopupMenu*& chosen) {
    EXPECT_EQ(menu.itemCount(), 4);
    EXPECT_EQ(menu.item(1).text, "16 - 31");
    for (int g = 0; g < menu.itemCount(); ++g) {
      const IPopupMenu& group = *menu.item(g).submenu;
      EXPECT_EQ(group.itemCount(), 16);
      for (int i = 0; i < group.itemCount(); ++i) {
        if (!group.item(i).checked()) continue;
        checkedGroup = g;
        checkedItem = i;
        ++checkedCount;
      }
    }
    chosen = menu.item(2).submenu.get();  // "32 - 47", fourth item
    return 3;
  };
  rig.clickAt(480, 304);  // on the number
  EXPECT_EQ(checkedCount, 1);
  EXPECT_EQ(checkedGroup, 1);
  EXPECT_EQ(checkedItem, 1);
  EXPECT_EQ(rig.synth.currentProgram(), 35);
}

TEST(EditorOptions, ChoicesGiveTheirCommandNumbersAndPasteWaitsForACopy) {
  EditorRig rig;
  std::unique_ptr<IPopupMenu> menu;
  auto* options = dynamic_cast<ITWOptionMenu*>(rig.find(SorvelPanel::kOptionMenu));
  ASSERT_NE(options, nullptr);

  menu = options->buildMenu();
  EXPECT_EQ(menu->item(1).text, "Paste Program");
  EXPECT_FALSE(menu->item(1).enabled());
  EXPECT_FALSE(menu->item(10).enabled());  // no startup bank
  rig.host->menuAnswer = [&](const IPopupMenu& m, const IPopupMenu*& chosen) {
    chosen = &m;
    return 0;  // "Copy Program"
  };
  rig.click(options);
  EXPECT_TRUE(rig.synth.hasCopiedProgram());
  EXPECT_TRUE(options->buildMenu()->item(1).enabled());

  menu = options->buildMenu();
  const IPopupMenu* midi = menu->item(14).submenu.get();
  const IPopupMenu* online = menu->item(21).submenu.get();
  ASSERT_NE(midi, nullptr);
  ASSERT_NE(online, nullptr);
  EXPECT_EQ(ITWOptionMenu::commandChosen(*menu, menu.get(), 19), 19);
  EXPECT_EQ(ITWOptionMenu::commandChosen(*menu, midi, 1), 23);
  EXPECT_EQ(ITWOptionMenu::commandChosen(*menu, online, 0), 24);
  EXPECT_EQ(ITWOptionMenu::commandChosen(*menu, online, 1), 25);
  for (int separator : {3, 8, 12, 17, 20}) EXPECT_TRUE(menu->item(separator).isSeparator());

  rig.host->menuAnswer = [&](const IPopupMenu& m, const IPopupMenu*& chosen) {
    chosen = m.item(14).submenu.get();
    return 0;  // "MIDI Thru"
  };
  const bool thru = rig.synth.configuration().midiThru;
  rig.click(options);
  EXPECT_EQ(rig.synth.configuration().midiThru, !thru);
  EXPECT_EQ(options->buildMenu()->item(14).submenu->item(0).checked(), !thru);

  rig.host->menuAnswer = [&](const IPopupMenu& m, const IPopupMenu*& chosen) {
    chosen = m.item(21).submenu.get();
    return 1;  // "Visit ..."
  };
  rig.click(options);
  EXPECT_EQ(rig.host->webPage.rfind("http://", 0), 0u);
}

TEST(EditorParameterMenu, SourcesAreGroupedByThirtyAndAChoiceAddsItsGroupBase) {
  EditorRig rig;
  const IParam* source = rig.synth.parameter(kVibratoSource);
  ASSERT_GE(source->displayTextCount(), 120);
  rig.host->menuAnswer = [&](const IPopupMenu& menu, const IPopupMenu*& chosen) {
    EXPECT_EQ(menu.itemCount(), 4);
    EXPECT_EQ(menu.item(3).text, "090 - 119");
    for (int g = 0; g < 3; ++g) EXPECT_EQ(menu.item(g).submenu->itemCount(), 30);
    EXPECT_EQ(menu.item(3).submenu->itemCount(), source->displayTextCount() - 90);
    chosen = menu.item(3).submenu.get();
    return 0;
  };
  rig.click(rig.find(kVibratoSource));
  EXPECT_EQ(source->value(), 90.0);
  EXPECT_EQ(opcodeCount(audioMasterAutomate, kVibratoSource), 1);

  // The item showing the current value is the checked one.
  int checked = -1;
  rig.host->menuAnswer = [&](const IPopupMenu& menu, const IPopupMenu*&) {
    const IPopupMenu& last = *menu.item(3).submenu;
    for (int i = 0; i < last.itemCount(); ++i) {
      if (last.item(i).checked()) checked = i;
    }
    return -1;
  };
  rig.click(rig.find(kVibratoSource));
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(source->value(), 90.0);
}

TEST(EditorHostValues, AHostChangeMarksExactlyTheBoundControlsAndAllocatesNothing) {
  EditorRig rig;
  rig.synth.effect()->setParameter(rig.synth.effect(), kChorusSyntheMix, 0.25f);  // warm up
  rig.graphics.onIdle();
  rig.settle();
  for (int index : {kChorusSyntheMix, kVibratoSource, kVoices}) {
    SCOPED_TRACE(index);
    {
      sorvel::test::AllocationScope scope;
      rig.synth.effect()->setParameter(rig.synth.effect(), index, 0.75f);
      EXPECT_EQ(scope.count(), 0);
    }
    EXPECT_TRUE(rig.dirtyControls().empty());  // nothing drawn or marked on the caller's thread
    rig.graphics.onIdle();
    const auto dirty = rig.dirtyControls();
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty.front()->paramIdx(), index);
    IRECT drawn;
    EXPECT_TRUE(rig.graphics.drawDirty(drawn));
    EXPECT_EQ(drawn, dirty.front()->rect());
  }
}

TEST(EditorLearn, LeftClickArmsInTheButtonsModeRightClickSwapsModesOnlyWhileOff) {
  EditorRig rig;
  auto* learn = rig.panel.learnButton();
  rig.click(learn, {false, true});  // right: to unlearn
  EXPECT_TRUE(learn->unlearnMode());
  rig.click(learn, {false, true});
  EXPECT_FALSE(learn->unlearnMode());

  rig.click(learn);
  EXPECT_TRUE(rig.synth.learning());
  EXPECT_FALSE(rig.synth.unlearnMode());
  rig.click(learn, {false, true});  // ignored while on
  EXPECT_FALSE(learn->unlearnMode());
  rig.click(learn);
  EXPECT_FALSE(rig.synth.learning());

  rig.click(learn, {false, true});
  rig.click(learn);
  EXPECT_TRUE(rig.synth.learning());
  EXPECT_TRUE(rig.synth.unlearnMode());
  EXPECT_EQ(learn->value(), 1.0);
  rig.synth.captureController(20);  // unlearning a controller ends learning
  EXPECT_FALSE(rig.synth.learning());
  rig.graphics.onIdle();
  EXPECT_EQ(learn->value(), 0.0);
  EXPECT_TRUE(learn->isDirty());

  rig.click(learn);
  rig.synth.reset();  // a reset ends learning too
  rig.graphics.onIdle();
  EXPECT_FALSE(rig.synth.learning());
  EXPECT_EQ(learn->value(), 0.0);
}

TEST(EditorIdle, AnIndicatorIsTouchedOnlyWhenItsStateChanges) {
  EditorRig rig;
  IControl* vibrato = rig.panel.vibratoIndicator();
  IControl* sampleHold = rig.panel.sampleHoldIndicator();
  EngineState& state = rig.synth.engine().state();
  const auto idleWith = [&](double vibratoValue, double sampleHoldValue) {
    state.vibratoLfo.unipolar = vibratoValue;
    state.sampleHoldLfo.unipolar = sampleHoldValue;
    rig.synth.idle();
  };
  idleWith(0.2, 0.2);
  rig.settle();
  idleWith(0.9, 0.3);
  EXPECT_FALSE(vibrato->isHidden());
  EXPECT_TRUE(vibrato->isDirty());
  EXPECT_FALSE(sampleHold->isDirty());
  rig.settle();
  idleWith(0.8, 0.4);
  EXPECT_TRUE(rig.dirtyControls().empty());
  idleWith(0.4, 0.6);
  EXPECT_TRUE(vibrato->isHidden());
  EXPECT_FALSE(sampleHold->isHidden());
  EXPECT_TRUE(vibrato->isDirty() && sampleHold->isDirty());

  rig.settle();
  rig.graphics.closeWindow();
  idleWith(0.9, 0.1);
  EXPECT_TRUE(rig.dirtyControls().empty());
}

TEST(EditorWindow, OpensAndClosesAHundredTimes) {
  EditorRig rig;
  for (int i = 0; i < 100; ++i) {
    rig.graphics.closeWindow();
    EXPECT_FALSE(rig.graphics.windowIsOpen());
    ASSERT_TRUE(rig.graphics.openWindow(nullptr));
    rig.graphics.onIdle();
  }
}

}  // namespace
}  // namespace editortest
