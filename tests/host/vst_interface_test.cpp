// The plug-in as a host meets it: effect record, parameters, programs, chunks and callbacks,
// all through the exported entry point of the built library.
#include <clocale>
#include <cmath>
#include <cstring>

#include "SorvelVersion.h"
#include "dsp/ParameterIds.h"
#include "framework/MidiMessage.h"
#include "tests/host/PluginHost.h"

using namespace sorvel;
using namespace testhost;

namespace {

// The version as hosts and files are told it: 1.3.2 is 10302.
constexpr int kShownVersion = kVersionMajor * 10000 + kVersionMinor * 100 + kVersionPatch;


std::vector<std::string> expectedParameterNames() {
  std::vector<std::string> names = {
      "Version",  "Voices",   "Volume",   "Velocity", "Balance",  "KBS Mode", "KBS Dest", "MstrTune",
      "SyntTune", "Pan Syn.", "Pan Ins.", "Vib. Src", "Vib. Dpt", "NoiseSrc", "NoiseDpt", "LPF Src",
      "LPF Dpt",  "HPF Src",  "HPF Dpt",  "Oct Down", "Oct Up",   "Porta",    "KBD Sens", "Joy Syn.",
      "Joy Ins.", "Del Vib.", "Q.Tone",   "Mult.Trg", "Key Hold", "Porta T.", "KBDS Int", "Joy S.Rg",
      "Joy I.Rg", "LFO Dpt",  "LFO Spd",  "LFO Dly",  "RingMod",  "Noise",    "32' Saw",  "16' S/H",
      "16' PWM",  "8' Saw",   "8' Pulse", "8' Rect",  "4' Saw",   "32'EBass", "32'Tuba",  "16'Clavi",
      "16'FuzzG", "16'Horn",  "8'Trump",  "8'Clari",  "8'DReed",  "8'String", "4'Flute",  "4'HPerc",
      "Syn.Ptch", "Noise AR", "32'SawAR", "16'SHClk", "16'PWMAR", "8'SawAR",  "8'PlsDcy", "8'RecAR",
      "4'SawDcy", "32'EB FC", "32'TubFC", "16'ClaPW", "16'FGTon", "16'HrnFC", "8'TrumFC", "8'ClaTon",
      "8'DRdTone", "8'StrAtk", "4'FlTone", "4'HPcDly", "Chorus",  "Cho SMix", "Cho IMix", "Cho LFO1",
      "Cho LFO2", "Cho Dpt",  "PWM Speed"};
  const char* words[] = {"Gain", "Flt1", "Flt2", "E>F", "EnvA", "EnvD", "EnvS", "EnvR"};
  for (int n = 1; n <= 19; ++n) {
    for (const char* word : words) names.push_back("P" + std::to_string(n) + " " + word);
  }
  return names;
}


}  // namespace

TEST(VstEntry, EffectRecordDescribesAStereoInstrument) {
  PluginHost host;
  ASSERT_TRUE(host.loaded()) << libraryError();
  const AEffect* e = host.effect();
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->numPrograms, 64);
  EXPECT_EQ(e->numParams, kParameterCount);
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth |
                          effFlagsCanDoubleReplacing);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_FLOAT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->uniqueID, fourCC('q', 'm', '7', '1'));
  EXPECT_EQ(e->version, kShownVersion);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_NE(e->process, nullptr);
}

TEST(VstEntry, LegacyEntryNameCreatesTheSameInstrument) {
  ASSERT_NE(entryPoint("main"), nullptr);
  PluginHost host("Old Host", "Old Vendor", "main");
  ASSERT_TRUE(host.loaded());
  EXPECT_EQ(host.effect()->uniqueID, fourCC('q', 'm', '7', '1'));
}

TEST(VstEntry, ConstructionLeavesTheProcessLocaleAlone) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  PluginHost host;
  ASSERT_TRUE(host.loaded());
  EXPECT_EQ(before, std::setlocale(LC_ALL, nullptr));
}

TEST(VstDispatcher, DescriptionOpcodes) {
  PluginHost host;
  host.start();
  EXPECT_EQ(host.text(effGetEffectName), "Sorvel");
  EXPECT_EQ(host.text(effGetVendorString), "Tarnwick Music");
  EXPECT_EQ(host.text(effGetProductString), "");
  EXPECT_EQ(host.dispatch(effGetVendorVersion), kShownVersion);
  EXPECT_EQ(host.dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(host.dispatch(effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(host.dispatch(effGetTailSize), 0);
  EXPECT_EQ(host.dispatch(effIdentify), fourCC('N', 'v', 'E', 'f'));
  EXPECT_EQ(host.dispatch(effCanBeAutomated, 100), 1);
  ERect* rect = nullptr;
  ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 1104);  // the panel's size
  EXPECT_EQ(rect->bottom - rect->top, 488);
  EXPECT_EQ(host.dispatch(effGetEffectName), 0);  // no buffer
  EXPECT_EQ(host.dispatch(9999), 0);
}

TEST(VstDispatcher, CanDoAnswers) {
  PluginHost host;
  auto canDo = [&](const char* what) { return host.dispatch(effCanDo, 0, 0, const_cast<char*>(what)); };
  EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
  EXPECT_EQ(canDo("sendVstEvents"), 1);
  EXPECT_EQ(canDo("sendVstMidiEvent"), 1);
  EXPECT_EQ(canDo("receiveVstEvents"), 1);
  EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
  EXPECT_EQ(canDo("hasCockosExtensions"), static_cast<VstIntPtr>(0xBEEF0000));
  EXPECT_EQ(canDo("hasCockosViewAsConfig"), static_cast<VstIntPtr>(0xBEEF0000));
  EXPECT_EQ(canDo("offline"), 0);
  EXPECT_EQ(host.dispatch(effCanDo), 0);
}

TEST(VstDispatcher, PinProperties) {
  PluginHost host;
  VstPinProperties pin{};
  EXPECT_EQ(host.dispatch(effGetInputProperties, 0, 0, &pin), 0);
  ASSERT_EQ(host.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  pin = {};
  ASSERT_EQ(host.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_EQ(host.dispatch(effGetOutputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(host.dispatch(effGetOutputProperties, 0, 0, nullptr), 0);
}

TEST(VstDispatcher, SpeakerArrangementsAreStereoOutputOnly) {
  PluginHost host;
  host.dispatch(effOpen);
  VstSpeakerArrangement* input = nullptr;
  VstSpeakerArrangement* output = nullptr;
  ASSERT_EQ(host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 1);
  ASSERT_NE(input, nullptr);
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(input->type, kSpeakerArrEmpty);
  EXPECT_EQ(input->numChannels, 0);
  EXPECT_EQ(output->type, kSpeakerArrStereo);
  EXPECT_EQ(output->numChannels, 2);
}

TEST(VstParameters, AllNamesInIndexOrder) {
  PluginHost host;
  const auto names = expectedParameterNames();
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kParameterCount));
  for (int i = 0; i < kParameterCount; ++i) EXPECT_EQ(host.parameterName(i), names[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(host.parameterName(kParameterCount), "");
  EXPECT_EQ(host.parameterName(-1), "");
}

TEST(VstParameters, DefaultsAsHostsSeeThem) {
  PluginHost host;
  host.start();
  host.dispatch(effSetProgram, 0, 63);  // "Init": every parameter at its default
  EXPECT_EQ(host.parameterDisplay(kVersion), std::to_string(kVersionNumber));
  EXPECT_EQ(host.parameterDisplay(kVoices), "1");
  EXPECT_EQ(host.parameterDisplay(kVolume), "0.50");
  EXPECT_EQ(host.parameterDisplay(kSensorMode), "Vibrato");
  EXPECT_EQ(host.parameterDisplay(kSensorDestination), "S + I");
  EXPECT_EQ(host.parameterDisplay(kMasterTune), "0");
  EXPECT_EQ(host.parameterDisplay(kVibratoSource), "1 - Modulation Wheel");
  EXPECT_EQ(host.parameterDisplay(kOctaveDown), "Off");
  EXPECT_EQ(host.parameterDisplay(kJoystickSyntheRange), "896");
  EXPECT_EQ(host.parameterDisplay(kLfoSpeed), "0");  // step 1: no decimals although it spans 0..1
  EXPECT_EQ(host.parameterDisplay(kLfoDelay), "0.25");
  EXPECT_EQ(host.parameterDisplay(kPwmSpeed), "0.16");
  EXPECT_EQ(host.parameterDisplay(presetParameter(kNoise, kPresetRelease)), "0.01");
  EXPECT_EQ(host.parameterDisplay(presetParameter(kHammeredPerc4, kPresetRelease)), "0.01");
  EXPECT_NEAR(host.getParameter(kChorusLfo1), 0.27f, 1e-6);  // shape 4
  EXPECT_NEAR(host.getParameter(kChorusLfo2), 0.3f, 1e-6);
  EXPECT_NEAR(host.getParameter(kLfoDelay), 0.5f, 1e-6);  // shape 2: 0.25 sits at 0.5
  EXPECT_NEAR(host.getParameter(kMasterTune), 0.5f, 1e-6);
  EXPECT_EQ(host.text(effGetParamLabel, 2), "");
}

TEST(VstParameters, DisplayTextsFollowTheValue) {
  PluginHost host;
  host.start();
  host.setParameter(kVoices, 1.0f);
  EXPECT_EQ(host.parameterDisplay(kVoices), "64");
  host.setParameter(kVoices, 0.5f);  // 3 exactly
  EXPECT_EQ(host.parameterDisplay(kVoices), "8");
  host.setParameter(kLowPassSource, 1.0f);
  EXPECT_EQ(host.parameterDisplay(kLowPassSource), "Velocity");
  host.setParameter(kVibratoSource, 1.0f);
  EXPECT_EQ(host.parameterDisplay(kVibratoSource), "119 - Undefined");
  host.setParameter(kNoiseSource, 13.0f / 126.0f);
  EXPECT_EQ(host.parameterDisplay(kNoiseSource), "6 - Data Entry MSB");
  host.setParameter(kHighPassSource, 105.0f / 126.0f);
  EXPECT_EQ(host.parameterDisplay(kHighPassSource), "98 - NRPN - LSB");
  host.setParameter(kHighPassSource, 98.0f / 126.0f);
  EXPECT_EQ(host.parameterDisplay(kHighPassSource), "91 - Effects 1 Depth ");  // trailing blank kept
  host.setParameter(kVersion, 0.0f);
  EXPECT_EQ(host.parameterDisplay(kVersion), std::to_string(kVersionNumber));
  host.setParameter(kVersion, 0.8f);
  EXPECT_EQ(host.parameterDisplay(kVersion), std::to_string(kVersionNumber));
  EXPECT_EQ(host.getParameter(kVersion), 0.0f);  // the constant reads 0 whatever a host wrote
  host.setParameter(kMasterTune, 0.0f);
  EXPECT_EQ(host.parameterDisplay(kMasterTune), "-256");
  host.setParameter(kLfoSpeed, 1.0f);
  EXPECT_EQ(host.parameterDisplay(kLfoSpeed), "1");
  host.setParameter(kVolume, 0.333f);  // continuous: not rounded to the step
  EXPECT_EQ(host.parameterDisplay(kVolume), "0.33");
  EXPECT_NEAR(host.getParameter(kVolume), 0.333f, 1e-6);
  host.setParameter(presetParameter(kNoise, kPresetGain), 1.0f);
  EXPECT_EQ(host.parameterDisplay(presetParameter(kNoise, kPresetGain)), "2.00");
}

TEST(VstParameters, HostValuesOutsideRangeOrNotANumberAreBroughtIntoRange) {
  PluginHost host;
  host.start();
  host.setParameter(kVoices, 7.5f);
  EXPECT_EQ(host.parameterDisplay(kVoices), "64");
  host.setParameter(kVoices, -3.0f);
  EXPECT_EQ(host.parameterDisplay(kVoices), "1");
  host.setParameter(kVibratoSource, std::nanf(""));
  EXPECT_EQ(host.parameterDisplay(kVibratoSource), "Off");
  host.setParameter(kVolume, std::nanf(""));
  EXPECT_EQ(host.getParameter(kVolume), 0.0f);
  host.setParameter(kVolume, INFINITY);
  EXPECT_EQ(host.getParameter(kVolume), 1.0f);
  host.setParameter(5000, 0.5f);  // ignored
  EXPECT_EQ(host.getParameter(5000), 0.0f);
}

TEST(VstParameters, VendorSpecificDisplayOfAValue) {
  PluginHost host;
  host.dispatch(effSetProgram, 0, 63);
  char text[64] = {};
  EXPECT_EQ(host.dispatch(effVendorSpecific, 7, 1, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "64");
  EXPECT_EQ(host.parameterDisplay(kVoices), "1");  // the parameter itself is unchanged
  EXPECT_EQ(host.dispatch(effVendorSpecific, 7, 2, text, 0.25f), 0xBEEF);
  EXPECT_STREQ(text, "0.25");
  EXPECT_EQ(host.dispatch(effVendorSpecific, 7, 999, text, 0.25f), 0xBEEF);
  EXPECT_EQ(host.dispatch(effVendorSpecific, 7, 1, nullptr, 0.25f), 0);
  EXPECT_EQ(host.dispatch(effVendorSpecific, 8, 1), 0xBEEF);  // enum
  EXPECT_EQ(host.dispatch(effVendorSpecific, 8, 0), 0xBEEF);  // int
  EXPECT_EQ(host.dispatch(effVendorSpecific, 8, 2), 0);       // continuous
  EXPECT_EQ(host.dispatch(effVendorSpecific, 9, 2), 0);
}

TEST(VstParameters, StringToParameter) {
  PluginHost host;
  host.start();
  auto set = [&](int index, const char* text) {
    return host.dispatch(effString2Parameter, index, 0, const_cast<char*>(text));
  };
  EXPECT_EQ(set(1, "16"), 1);
  EXPECT_EQ(host.parameterDisplay(kVoices), "16");
  EXPECT_EQ(set(1, "17"), 0);  // no such display text
  EXPECT_EQ(host.parameterDisplay(kVoices), "16");
  EXPECT_EQ(set(15, "Velocity"), 1);
  EXPECT_EQ(host.parameterDisplay(kLowPassSource), "Velocity");
  EXPECT_EQ(set(2, "0.25"), 1);
  EXPECT_EQ(host.parameterDisplay(kVolume), "0.25");
  EXPECT_EQ(set(7, "-300"), 1);  // clamped
  EXPECT_EQ(host.parameterDisplay(kMasterTune), "-256");
  EXPECT_EQ(set(2, "nan"), 1);  // never stored as a number that is not one
  EXPECT_EQ(host.parameterDisplay(kVolume), "0.00");
  EXPECT_EQ(set(999, "1"), 0);
  EXPECT_EQ(host.dispatch(effString2Parameter, 2, 0, nullptr), 1);
}

TEST(VstPrograms, StartWithTheFactoryProgramsAndSwitch) {
  PluginHost host;
  host.start();
  EXPECT_EQ(host.dispatch(effGetProgram), 0);
  EXPECT_EQ(host.text(effGetProgramName), "Fat Sorvel");
  char name[64] = {};
  EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 63, 0, name), 1);
  EXPECT_STREQ(name, "Init");
  EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 64, 0, name), 0);
  EXPECT_STREQ(name, "");

  // Program 0 gets its own sound; program 63 keeps the defaults.
  host.setParameter(kVolume, 0.8f);
  char newName[] = "Bright Lead";
  host.dispatch(effSetProgramName, 0, 0, newName);
  EXPECT_EQ(host.text(effGetProgramName), "Bright Lead");
  host.dispatch(effSetProgram, 0, 63);
  EXPECT_EQ(host.dispatch(effGetProgram), 63);
  EXPECT_EQ(host.parameterDisplay(kVolume), "0.50");
  host.dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(host.parameterDisplay(kVolume), "0.80");
  EXPECT_EQ(host.text(effGetProgramName), "Bright Lead");
  host.dispatch(effSetProgram, 0, 64);  // out of range: nothing changes
  EXPECT_EQ(host.dispatch(effGetProgram), 0);
}

TEST(VstPrograms, LongNamesAreBoundedToTheHostBuffer) {
  PluginHost host;
  std::string longName(300, 'x');
  host.dispatch(effSetProgramName, 0, 0, longName.data());
  char buffer[kVstMaxProgNameLen + 8];
  std::memset(buffer, '#', sizeof(buffer));
  host.dispatch(effGetProgramName, 0, 0, buffer);
  EXPECT_EQ(std::strlen(buffer), static_cast<std::size_t>(kVstMaxProgNameLen - 1));
  EXPECT_EQ(buffer[kVstMaxProgNameLen], '#');  // nothing written past the buffer
}

TEST(VstChunks, ProgramChunkRoundTrip) {
  PluginHost host;
  host.start();
  host.setParameter(kVoices, 0.5f);
  host.setParameter(kMasterTune, 0.75f);
  host.setParameter(presetParameter(kSampleHold16, kPresetCutoff), 0.3f);
  char name[] = "Chunked";
  host.dispatch(effSetProgramName, 0, 0, name);
  const auto chunk = host.getChunk(true);
  ASSERT_GE(chunk.size(), 8u + 12u + 8u + 7u + 235u * 8u);
  EXPECT_EQ(std::memcmp(chunk.data(), "tffp", 4), 0);
  std::int32_t version = 0;
  std::memcpy(&version, chunk.data() + 4, 4);
  EXPECT_EQ(version, 0x10000);
  EXPECT_EQ(std::memcmp(chunk.data() + 8, "Sorvel_1.3.1", 12), 0);
  std::int32_t nameLength = 0;
  std::memcpy(&nameLength, chunk.data() + 24, 4);
  EXPECT_EQ(nameLength, 7);
  EXPECT_EQ(std::memcmp(chunk.data() + 28, "Chunked", 7), 0);
  double voices = 0;
  std::memcpy(&voices, chunk.data() + 35 + 8, 8);
  EXPECT_EQ(voices, 3.0);

  PluginHost other;
  other.start();
  ASSERT_EQ(other.setChunk(true, chunk), 1);
  for (int i = 0; i < kParameterCount; ++i) EXPECT_EQ(other.getParameter(i), host.getParameter(i)) << i;
  EXPECT_EQ(other.text(effGetProgramName), "Chunked");
}

TEST(VstChunks, BankChunkRestoresEveryProgram) {
  PluginHost host;
  host.start();
  for (int p = 0; p < 64; p += 9) {
    host.dispatch(effSetProgram, 0, p);
    host.setParameter(kVolume, static_cast<float>(p) / 64.0f);
    host.setParameter(presetSwitch(kSaw8), p % 2 ? 1.0f : 0.0f);
    std::string name = "Program " + std::to_string(p);
    host.dispatch(effSetProgramName, 0, 0, name.data());
  }
  host.dispatch(effSetProgram, 0, 18);
  const auto bank = host.getChunk(false);
  ASSERT_GT(bank.size(), 64u * 235u * 8u);
  EXPECT_EQ(std::memcmp(bank.data(), "tffp", 4), 0);

  PluginHost other;
  other.start();
  ASSERT_EQ(other.setChunk(false, bank), 1);
  for (int p = 0; p < 64; ++p) {
    char name[64] = {}, factory[64] = {};
    other.dispatch(effGetProgramNameIndexed, p, 0, name);
    host.dispatch(effGetProgramNameIndexed, p, 0, factory);
    EXPECT_EQ(std::string(name), p % 9 == 0 ? "Program " + std::to_string(p) : std::string(factory)) << p;
  }
  for (int p = 0; p < 64; p += 9) {
    other.dispatch(effSetProgram, 0, p);
    EXPECT_FLOAT_EQ(other.getParameter(kVolume), static_cast<float>(p) / 64.0f);
    EXPECT_EQ(other.parameterDisplay(presetSwitch(kSaw8)), p % 2 ? "On" : "Off");
  }
}

TEST(VstChunks, BankChunkReloadsTheProgramThatPlayedAndReadsBackStable) {
  PluginHost host;
  host.start();
  host.dispatch(effSetProgram, 0, 12);
  host.setParameter(kVolume, 0.3f);  // an edit not yet stored in the program
  const auto bank = host.getChunk(false);

  PluginHost reloaded;
  reloaded.start();
  ASSERT_EQ(reloaded.setChunk(false, bank), 1);
  EXPECT_EQ(reloaded.dispatch(effGetProgram), 12);
  std::vector<double> heard, expected;
  for (PluginHost* h : {&host, &reloaded}) {
    h->sendMidi(0, statusByte(kMidiNoteOn, 0), 60, 100);
    h->renderInto(h == &host ? expected : heard, 4096);
  }
  EXPECT_EQ(heard, expected);

  // The first round rewrites what other writers left; the second gives the same bytes.
  const auto once = reloaded.getChunk(false);
  PluginHost again;
  again.start();
  ASSERT_EQ(again.setChunk(false, once), 1);
  EXPECT_EQ(again.getChunk(false), once);
}

TEST(VstChunks, ChunkHostsGetValuesAndNameBackAtBothIndexes) {
  for (bool program : {false, true}) {
    PluginHost host("Some Host", "Native Instruments");
    host.start();
    host.dispatch(effSetProgram, 0, 5);
    host.setParameter(kVolume, 0.3f);
    host.setParameter(presetSwitch(kSaw8), 1.0f);
    char name[] = "Kept";
    host.dispatch(effSetProgramName, 0, 0, name);
    const auto chunk = host.getChunk(program);

    PluginHost other("Some Host", "Native Instruments");
    other.start();
    std::vector<std::string> namesBefore;
    for (int p = 0; p < 64; ++p) {
      char text[64] = {};
      other.dispatch(effGetProgramNameIndexed, p, 0, text);
      namesBefore.push_back(text);
    }
    ASSERT_EQ(other.setChunk(program, chunk), 1) << program;
    for (int i = 0; i < kParameterCount; ++i) EXPECT_EQ(other.getParameter(i), host.getParameter(i)) << i;
    EXPECT_EQ(other.text(effGetProgramName), "Kept");
    for (int p = 1; p < 64; ++p) {
      char text[64] = {};
      other.dispatch(effGetProgramNameIndexed, p, 0, text);
      EXPECT_EQ(text, namesBefore[static_cast<std::size_t>(p)]) << p;
    }
  }
}

TEST(VstChunks, TruncatedOrGarbageChunksDoNotCrash) {
  PluginHost host;
  host.start();
  auto chunk = host.getChunk(true);
  ASSERT_FALSE(chunk.empty());
  for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{8}, std::size_t{20}, std::size_t{30},
                          chunk.size() / 2, chunk.size() - 1}) {
    std::vector<unsigned char> part(chunk.begin(), chunk.begin() + static_cast<long>(cut));
    host.setChunk(true, part);
  }
  std::vector<unsigned char> junk(5000);
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<unsigned char>(i * 37 + 11);
  host.setChunk(true, junk);
  host.setChunk(false, junk);
  for (int i = 0; i < kParameterCount; ++i) {
    const float v = host.getParameter(i);
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << i;
  }
  EXPECT_EQ(host.parameterDisplay(kVersion), std::to_string(kVersionNumber));
}

TEST(VstChunks, ChunkHostsAlwaysGetTheProgramChunk) {
  PluginHost chunkHost("Some Host", "NATIVE instruments");
  chunkHost.start();
  const auto chunk = chunkHost.getChunk(false);  // asks for the bank
  ASSERT_GT(chunk.size(), 20u);
  EXPECT_EQ(std::memcmp(chunk.data() + 8, "Sorvel_1.3.1", 12), 0);
  chunkHost.getChunk(false);
  EXPECT_EQ(chunkHost.vendorQueries, 1);  // asked once

  PluginHost juce("Some Host", "JUCE VST Host");
  juce.start();
  const auto juceChunk = juce.getChunk(false);
  EXPECT_EQ(std::memcmp(juceChunk.data() + 8, "Sorvel_1.3.1", 12), 0);

  PluginHost ordinary("Some Host", "Native Instruments GmbH");
  ordinary.start();
  const auto bank = ordinary.getChunk(false);
  ASSERT_GT(bank.size(), 20u);
  EXPECT_NE(std::memcmp(bank.data() + 8, "Sorvel_1.3.1", 12), 0);  // a bank starts with a program name
}

TEST(VstHost, IdentifiesTheHostOnceAtOpen) {
  PluginHost host("My CUBASE Pro", "Vendor");
  host.dispatch(effOpen);
  host.dispatch(effOpen);
  EXPECT_EQ(host.productQueries, 1);
  EXPECT_EQ(host.versionQueries, 1);

  PluginHost anonymous("", "Vendor");
  anonymous.dispatch(effOpen);
  EXPECT_EQ(anonymous.productQueries, 1);
  EXPECT_EQ(anonymous.versionQueries, 0);  // no version query after an empty product string
}

TEST(VstMidi, ThruForwardsIncomingMessagesToTheHost) {
  PluginHost host;
  host.start();
  host.sendMidi(10, statusByte(kMidiNoteOn, 0), 60, 100);
  EXPECT_TRUE(host.midiOut.empty());  // thru is off by default
}

TEST(VstAudio, RendersSilenceOfTheRightLengthInBothPrecisions) {
  PluginHost host;
  host.start(44100.0f, 256);
  std::vector<double> left, right;
  host.renderDouble(left, right, 256);
  // Silence but for the residue of the global high-pass's denormal guard (about 1e-14).
  for (double v : left) EXPECT_LT(std::abs(v), 1e-12);
  std::vector<float> fl, fr;
  // More frames than the block size must be served in pieces, never overflowing scratch buffers.
  host.renderFloat(fl, fr, 1000);
  for (float v : fr) EXPECT_LT(std::abs(v), 1e-12f);
  // The accumulating call adds to what is there.
  std::vector<float> al(300, 0.5f), ar(300, 0.5f);
  float* outs[2] = {al.data(), ar.data()};
  host.effect()->process(host.effect(), nullptr, outs, 300);
  EXPECT_EQ(al[299], 0.5f);
}
