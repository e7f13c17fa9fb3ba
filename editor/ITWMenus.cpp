#include "editor/ITWMenus.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "editor/IGraphicsEditor.h"
#include "editor/IPlugCommands.h"
#include "editor/LICE.h"

namespace sorvel {

namespace {

constexpr int kLongestProgramName = 255;

std::string cut(const std::string& text, std::size_t length) { return text.substr(0, std::min(text.size(), length)); }

// Index among the top menu's items of the submenu chosen in, or -1.
int groupOf(const IPopupMenu& menu, const IPopupMenu* chosenMenu) {
  return chosenMenu != nullptr && chosenMenu != &menu ? menu.indexOfSubmenu(chosenMenu) : -1;
}

}  // namespace

ITWPresetMenu::ITWPresetMenu(IGraphicsEditor& graphics, IPlugCommands& plug, const IRECT& numberRect,
                             const IRECT& nameRect, const IText& text, LICE_pixel background)
    : IControl(graphics, numberRect.unionWith(nameRect), -1),
      plug_(plug),
      numberRect_(numberRect),
      nameRect_(nameRect),
      text_(text),
      background_(background) {}

void ITWPresetMenu::draw(LICE_IBitmap& dest, const IRECT& clip) {
  int current = 0;
  std::string name;
  {
    LockGuard guard(graphics_.plug().lock());
    current = graphics_.plug().currentProgram();
    name = cut(graphics_.plug().programName(current), 32);
  }
  LICE_FillRect(dest, numberRect_, background_, clip);
  LICE_FillRect(dest, nameRect_, background_, clip);
  char number[16];
  std::snprintf(number, sizeof number, "%02d", current);
  IText left = text_;
  left.align = TextAlign::Left;
  drawText(dest, text_, number, numberRect_, clip);
  drawText(dest, left, name, {nameRect_.L + 3, nameRect_.T, nameRect_.R, nameRect_.B}, clip);
}

std::unique_ptr<IPopupMenu> ITWPresetMenu::buildMenu() const {
  auto menu = std::make_unique<IPopupMenu>();
  IPopupMenu* group = nullptr;
  const int current = graphics_.plug().currentProgram();
  char text[64];
  for (int i = 0; i < graphics_.plug().programCount(); ++i) {
    if (i % kProgramsPerGroup == 0) {
      std::snprintf(text, sizeof text, "%02d - %02d", i, i + kProgramsPerGroup - 1);
      group = &menu->addSubmenu(text, std::make_unique<IPopupMenu>());
    }
    std::snprintf(text, sizeof text, "%02u: %s", static_cast<unsigned>(i), cut(graphics_.plug().programName(i), 31).c_str());
    group->addItem(text, i == current ? IPopupMenu::kChecked : 0);
  }
  return menu;
}

int ITWPresetMenu::programChosen(const IPopupMenu& menu, const IPopupMenu* chosenMenu, int item) {
  const int group = groupOf(menu, chosenMenu);
  if (group < 0 || item < 0) return -1;
  return group * kProgramsPerGroup + item;
}

void ITWPresetMenu::onMouseDown(int x, int y, const IMouseMod& /*mod*/) {
  if (nameRect_.contains(x, y)) {
    graphics_.promptTextEntry(*this, nameRect_, graphics_.plug().programName(graphics_.plug().currentProgram()), kLongestProgramName);
  } else {
    const auto menu = buildMenu();
    const IPopupMenu* chosenMenu = nullptr;
    const int item = graphics_.showPopupMenu(*menu, x, y, chosenMenu);
    const int program = programChosen(*menu, chosenMenu, item);
    if (program >= 0) plug_.selectProgram(program);
  }
  graphics_.markAllDirty();
}

void ITWPresetMenu::onTextEntryFinished(bool accepted, const std::string& text) {
  if (!accepted) return;
  {
    LockGuard guard(graphics_.plug().lock());
    graphics_.plug().ModifyCurrentPreset(cut(text, kLongestProgramName).c_str());
  }
  graphics_.plug().informHostOfProgramChange();
  plug_.publishAllParametersToHost();
  setDirty();
}

ITWOptionMenu::ITWOptionMenu(IGraphicsEditor& graphics, IPlugCommands& plug, const IRECT& rect, int identifier)
    : IControl(graphics, rect, identifier), plug_(plug) {}

std::unique_ptr<IPopupMenu> ITWOptionMenu::buildMenu() const {
  const int noCopy = plug_.hasCopiedProgram() ? 0 : IPopupMenu::kDisabled;
  const int noStartupBank = !plug_.hasStartupBank() ? IPopupMenu::kDisabled : 0;
  const auto checkedIf = [](bool on) { return on ? IPopupMenu::kChecked : 0; };
  auto menu = std::make_unique<IPopupMenu>();
  menu->addItem("Copy Program");
  menu->addItem("Paste Program", noCopy);
  menu->addItem("Init Program");
  menu->addSeparator();
  menu->addItem("Load Program");
  menu->addItem("Save Program");
  menu->addItem("Load Bank");
  menu->addItem("Save Bank");
  menu->addSeparator();
  menu->addItem("Select Startup Bank");
  menu->addItem("Load Startup Bank", noStartupBank);
  menu->addItem("Unselect Startup Bank", noStartupBank);
  menu->addSeparator();
  menu->addItem("Default Path for Program Files");
  IPopupMenu& midi = menu->addSubmenu("Global MIDI Settings...", std::make_unique<IPopupMenu>());
  midi.addItem("MIDI Thru", checkedIf(plug_.midiThruOn()));
  midi.addItem("Ignore Program Change", checkedIf(plug_.ignoresProgramChange()));
  menu->addItem("Reload Configuration");
  menu->addItem("Save Configuration");
  menu->addSeparator();
  menu->addItem("Load Preset Defaults");
  menu->addItem("Save Preset Defaults");
  menu->addSeparator("");
  IPopupMenu& online = menu->addSubmenu("Go Online...", std::make_unique<IPopupMenu>());
  online.addItem("Check Online for Update");
  online.addItem(plug_.visitMakerMenuText());
  return menu;
}

namespace {

constexpr int kMidiSubmenu = 14;
constexpr int kOnlineSubmenu = 21;
// The separators' places among the top menu's items.
constexpr int kSeparators[] = {3, 8, 12, 17, 20};
constexpr int kFirstMidiCommand = command::kMidiThru;
constexpr int kFirstOnlineCommand = command::kCheckOnlineForUpdate;

}  // namespace

int ITWOptionMenu::commandChosen(const IPopupMenu& menu, const IPopupMenu* chosenMenu, int item) {
  if (chosenMenu == nullptr || item < 0) return -1;
  if (chosenMenu == &menu) return item;
  const int group = groupOf(menu, chosenMenu);
  if (group == kMidiSubmenu) return kFirstMidiCommand + item;
  if (group == kOnlineSubmenu) return kFirstOnlineCommand + item;
  return -1;
}

void ITWOptionMenu::runCommand(int number) {
  const bool separator = std::find(std::begin(kSeparators), std::end(kSeparators), number) != std::end(kSeparators);
  const bool runsNothing = separator || number == kMidiSubmenu || number == kOnlineSubmenu;
  if (number == command::kVisitMakerWebSite) {
    if (!graphics_.openWebPage(plug_.makerWebPage())) plug_.visitMakerWebSite();
  } else if (!runsNothing) {
    plug_.runCommand(number);
  }
  graphics_.markAllDirty();
}

void ITWOptionMenu::onMouseDown(int x, int y, const IMouseMod& /*mod*/) {
  const auto menu = buildMenu();
  const IPopupMenu* chosenMenu = nullptr;
  const int item = graphics_.showPopupMenu(*menu, x, y, chosenMenu);
  const int number = commandChosen(*menu, chosenMenu, item);
  if (number >= 0) runCommand(number);
}

ITWPopUpMenuControl::ITWPopUpMenuControl(IGraphicsEditor& graphics, const IRECT& rect, int paramIdx,
                                         const IText& text, bool grouping)
    : IControl(graphics, rect, paramIdx), text_(text), grouping_(grouping) {}

void ITWPopUpMenuControl::draw(LICE_IBitmap& dest, const IRECT& clip) {
  const IParam* p = graphics_.plug().parameter(paramIdx());
  if (p == nullptr) return;
  drawText(dest, text_, p->formatForDisplay(p->fromNormalised(value_), false), rect_, clip);
}

std::unique_ptr<IPopupMenu> ITWPopUpMenuControl::buildMenu() const {
  auto menu = std::make_unique<IPopupMenu>();
  const IParam* p = graphics_.plug().parameter(paramIdx());
  if (p == nullptr) return menu;
  const std::string shown = p->formatForDisplay(p->fromNormalised(value_), false);
  const int count = p->displayTextCount();
  const int groups = 4;
  IPopupMenu* list = menu.get();
  char title[32];
  for (int i = 0; i < count; ++i) {
    if (grouping_ && i % kTextsPerGroup == 0 && i / kTextsPerGroup < groups) {
      std::snprintf(title, sizeof title, "%03d - %03d", i, i + kTextsPerGroup - 1);
      list = &menu->addSubmenu(title, std::make_unique<IPopupMenu>());
    }
    const std::string& text = p->displayText(i);
    list->addItem(text, text == shown ? IPopupMenu::kChecked : 0);
  }
  return menu;
}

int ITWPopUpMenuControl::positionChosen(const IPopupMenu& menu, const IPopupMenu* chosenMenu, int item) const {
  if (chosenMenu == nullptr || item < 0) return -1;
  if (chosenMenu == &menu) return grouping_ ? -1 : item;
  const int group = groupOf(menu, chosenMenu);
  return group < 0 ? -1 : group * kTextsPerGroup + item;
}

void ITWPopUpMenuControl::onMouseDown(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {
  const IParam* p = graphics_.plug().parameter(paramIdx());
  if (p == nullptr) return;
  const auto menu = buildMenu();
  const IPopupMenu* chosenMenu = nullptr;
  const int item = graphics_.showPopupMenu(*menu, rect_.L, rect_.B, chosenMenu);
  const int position = positionChosen(*menu, chosenMenu, item);
  if (position >= 0) {
    const double value = std::clamp(static_cast<double>(position), p->minimum(), p->maximum());
    beginEdit();
    setValueFromUserInput(p->toNormalised(value));
    endEdit();
  }
  graphics_.markAllDirty();
}

}  // namespace sorvel
