#include "dsp/ParameterTable.h"

#include <cstdio>

#include "SorvelVersion.h"

namespace sorvel {

namespace {

std::vector<std::string> buildControllerNames() {
  std::vector<std::string> names(120, "Undefined");
  names[0] = "Bank Select";
  names[1] = "Modulation Wheel";
  names[2] = "Breath Controller";
  names[4] = "Foot Controller";
  names[5] = "Portamento Time";
  names[6] = "Data Entry MSB";
  names[7] = "Channel Volume";
  names[8] = "Balance";
  names[10] = "Pan";
  names[11] = "Expression Controller";
  names[12] = "Effect Control 1";
  names[13] = "Effect Control 2";
  for (int k = 0; k < 4; ++k) names[16 + k] = "GP Controller " + std::to_string(k + 1);
  for (int k = 0; k < 32; ++k) names[32 + k] = "LSB for Control " + std::to_string(k);
  names[64] = "Sustain Pedal On/Off";
  names[65] = "Portamento On/Off";
  names[66] = "Sostenuto On/Off";
  names[67] = "Soft Pedal On/Off";
  names[68] = "Legato Footswitch";
  names[69] = "Hold 2";
  for (int k = 0; k < 10; ++k) names[70 + k] = "Sound Controller " + std::to_string(k + 1);
  for (int k = 0; k < 4; ++k) names[80 + k] = "GP Controller " + std::to_string(k + 5);
  names[84] = "Portamento Control";
  names[88] = "HiRes Velo Prefix";
  names[91] = "Effects 1 Depth ";  // the trailing blanks belong to the names
  names[92] = "Effects 2 Depth";
  names[93] = "Effects 3 Depth ";
  names[94] = "Effects 4 Depth";
  names[95] = "Effects 5 Depth";
  names[96] = "Data Increment";
  names[97] = "Data Decrement";
  names[98] = "NRPN - LSB";
  names[99] = "NRPN - MSB";
  names[100] = "RPN - LSB";
  names[101] = "RPN - MSB";
  return names;
}

const std::vector<std::string>& controllerNames() {
  static const std::vector<std::string> names = buildControllerNames();
  return names;
}

std::vector<std::string> buildSources(bool withVelocity) {
  std::vector<std::string> texts = {"Off", "On", "Pitch Bend", "Channel Aftertouch", "Vibrato LFO", "PWM LFO",
                                    "S/H LFO"};
  for (int n = 0; n < 120; ++n) texts.push_back(std::to_string(n) + " - " + controllerNames()[static_cast<std::size_t>(n)]);
  if (withVelocity) texts.push_back("Velocity");
  return texts;
}

ParameterRow doubleRow(const char* name, double defaultValue, double minimum, double maximum, double step,
                       double shape = 1.0) {
  ParameterRow row;
  row.kind = ParameterKind::Double;
  row.name = name;
  row.defaultValue = defaultValue;
  row.minimum = minimum;
  row.maximum = maximum;
  row.step = step;
  row.shape = shape;
  return row;
}

ParameterRow enumRow(const char* name, int defaultValue, const std::vector<std::string>& texts) {
  ParameterRow row;
  row.kind = ParameterKind::Enum;
  row.name = name;
  row.defaultValue = defaultValue;
  row.minimum = 0;
  row.maximum = static_cast<double>(texts.size()) - 1;
  row.step = 1;
  row.texts = &texts;
  return row;
}

const char* const kPresetSwitchNames[kPresetCount] = {
    "Noise",    "32' Saw",  "16' S/H",  "16' PWM", "8' Saw",  "8' Pulse", "8' Rect",  "4' Saw",
    "32'EBass", "32'Tuba",  "16'Clavi", "16'FuzzG", "16'Horn", "8'Trump", "8'Clari", "8'DReed",
    "8'String", "4'Flute",  "4'HPerc"};

struct SlotRange {
  double maximum;
  double defaultValue;
};

const SlotRange kPresetSlotRanges[kPresetSlotCount] = {{2, 1}, {1, 0.5}, {1, 0.5}, {1, 0},
                                                       {4, 2}, {4, 2},   {1, 1},   {4, 0.01}};

// Holds the release's version number and nothing else.
ParameterRow versionRow() {
  ParameterRow version;
  version.kind = ParameterKind::Int;
  version.name = "Version";
  version.defaultValue = kVersionNumber;
  version.minimum = kVersionNumber;
  version.maximum = kVersionNumber;
  version.step = 1;
  return version;
}

std::vector<ParameterRow> buildTable() {
  const auto& onOff = switchTexts();
  const auto& sources = modulationSourceTextsWithoutVelocity();
  std::vector<ParameterRow> t;
  t.reserve(kParameterCount);

  t.push_back(versionRow());

  t.push_back(enumRow("Voices", 0, voiceCountTexts()));
  t.push_back(doubleRow("Volume", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("Velocity", 0, 0, 1, 0.01));
  t.push_back(doubleRow("Balance", 0.5, 0, 1, 0.01));
  t.push_back(enumRow("KBS Mode", 1, keyboardSensorModeTexts()));
  t.push_back(enumRow("KBS Dest", 1, keyboardSensorDestinationTexts()));
  t.push_back(doubleRow("MstrTune", 0, -256, 256, 1));
  t.push_back(doubleRow("SyntTune", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("Pan Syn.", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("Pan Ins.", 0.5, 0, 1, 0.01));
  t.push_back(enumRow("Vib. Src", 8, sources));
  t.push_back(doubleRow("Vib. Dpt", 0.2, 0, 1, 0.01));
  t.push_back(enumRow("NoiseSrc", 8, sources));
  t.push_back(doubleRow("NoiseDpt", 0, 0, 16, 0.01));
  t.push_back(enumRow("LPF Src", 8, modulationSourceTexts()));
  t.push_back(doubleRow("LPF Dpt", 0, 0, 1, 0.01));
  t.push_back(enumRow("HPF Src", 8, sources));
  t.push_back(doubleRow("HPF Dpt", 0, 0, 1, 0.01));
  for (const char* name : {"Oct Down", "Oct Up", "Porta", "KBD Sens", "Joy Syn.", "Joy Ins.", "Del Vib.", "Q.Tone",
                           "Mult.Trg", "Key Hold"}) {
    t.push_back(enumRow(name, 0, onOff));
  }
  t.push_back(doubleRow("Porta T.", 0.1, 0, 1, 0.01));
  t.push_back(doubleRow("KBDS Int", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("Joy S.Rg", 896, 0, 1536, 1));
  t.push_back(doubleRow("Joy I.Rg", 896, 0, 1536, 1));
  t.push_back(doubleRow("LFO Dpt", 128, 0, 256, 1));
  t.push_back(doubleRow("LFO Spd", 0.5, 0, 1, 1));  // step 1: shown without decimals
  t.push_back(doubleRow("LFO Dly", 0.25, 0, 1, 0.01, 2));
  t.push_back(enumRow("RingMod", 0, onOff));
  for (const char* name : kPresetSwitchNames) t.push_back(enumRow(name, 0, onOff));
  t.push_back(doubleRow("Syn.Ptch", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("Noise AR", 0, -2, 2, 0.01));
  t.push_back(doubleRow("32'SawAR", 0, -2, 2, 0.01));
  t.push_back(doubleRow("16'SHClk", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("16'PWMAR", 0, -2, 2, 0.01));
  t.push_back(doubleRow("8'SawAR", 0, -2, 2, 0.01));
  t.push_back(doubleRow("8'PlsDcy", 0, -2, 2, 0.01));
  t.push_back(doubleRow("8'RecAR", 0, -2, 2, 0.01));
  t.push_back(doubleRow("4'SawDcy", 0, -2, 2, 0.01));
  t.push_back(doubleRow("32'EB FC", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("32'TubFC", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("16'ClaPW", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("16'FGTon", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("16'HrnFC", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("8'TrumFC", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("8'ClaTon", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("8'DRdTone", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("8'StrAtk", 0, -2, 2, 0.01));
  t.push_back(doubleRow("4'FlTone", 0, -0.5, 0.5, 0.01));
  t.push_back(doubleRow("4'HPcDly", 0, -2, 2, 0.01));
  t.push_back(enumRow("Chorus", 0, onOff));
  t.push_back(doubleRow("Cho SMix", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("Cho IMix", 0.5, 0, 1, 0.01));
  t.push_back(doubleRow("Cho LFO1", 0.00531441, 0, 1, 0.01, 4));  // 0.27^4: sits at 0.27 normalised
  t.push_back(doubleRow("Cho LFO2", 0.0081, 0, 1, 0.01, 4));  // 0.3^4
  t.push_back(doubleRow("Cho Dpt", 0.3, 0, 1, 0.01));
  t.push_back(doubleRow("PWM Speed", 0.156, 0, 1, 0.01));

  for (int n = 1; n <= kPresetCount; ++n) {
    for (int slot = 0; slot < kPresetSlotCount; ++slot) {
      const SlotRange& range = kPresetSlotRanges[slot];
      char name[32];
      std::snprintf(name, sizeof(name), "P%d %s", n, kPresetSlotNames[static_cast<std::size_t>(slot)]);
      t.push_back(doubleRow(name, range.defaultValue, 0, range.maximum, 0.01));
    }
  }
  return t;
}

}  // namespace

const std::vector<std::string>& switchTexts() {
  static const std::vector<std::string> texts = {"Off", "On"};
  return texts;
}

const std::vector<std::string>& voiceCountTexts() {
  static const std::vector<std::string> texts = {"1", "2", "4", "8", "16", "32", "64"};
  return texts;
}

const std::vector<std::string>& keyboardSensorModeTexts() {
  static const std::vector<std::string> texts = {"Pitch Up", "Vibrato", "Pitch Dn"};
  return texts;
}

const std::vector<std::string>& keyboardSensorDestinationTexts() {
  static const std::vector<std::string> texts = {"Instr.", "S + I", "Synthe"};
  return texts;
}

const std::vector<std::string>& modulationSourceTexts() {
  static const std::vector<std::string> texts = buildSources(true);
  return texts;
}

const std::vector<std::string>& modulationSourceTextsWithoutVelocity() {
  static const std::vector<std::string> texts = buildSources(false);
  return texts;
}

const std::string& controllerName(int controller) {
  static const std::string none;
  if (controller < 0 || controller >= 120) return none;
  return controllerNames()[static_cast<std::size_t>(controller)];
}

const std::vector<ParameterRow>& parameterTable() {
  static const std::vector<ParameterRow> table = buildTable();
  return table;
}

}  // namespace sorvel
