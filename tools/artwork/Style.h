// The look of the panel in one place: colours, fonts, the legends on the switches, and every box,
// heading and label of the background. Label positions derive from the control places below, which
// are the editor's layout; moving a control here moves its label with it.
#pragma once

#include <string>
#include <vector>

#include "tools/artwork/Paint.h"

namespace artwork {

struct Palette {
  Rgb panelTop, panelBottom;
  Rgb boxTop, boxBottom, boxEdge;
  Rgb label, labelDim;
  Rgb recess, recessEdge;  // program display, pop-up fields, sockets
  Rgb displayText;
  Rgb lamp, lampGlow, lampOff;
  Rgb knobRim, knobTop, knobBottom, knobPointer, knobTrack, knobArc;
  Rgb tabLegend, tabShadow;
  Rgb button, buttonEdge, buttonText;
};

inline constexpr Palette kColours = {
    .panelTop = hex(0x2c2e33), .panelBottom = hex(0x222428),
    .boxTop = hex(0x33363c), .boxBottom = hex(0x2c2f34), .boxEdge = hex(0x4a4e56),
    .label = hex(0xe4ddcc), .labelDim = hex(0xaba89f),
    .recess = hex(0x16171a), .recessEdge = hex(0x55585f),
    .displayText = hex(0xf2b85c),
    .lamp = hex(0xffb347), .lampGlow = hex(0xff8a1e), .lampOff = hex(0x3a2c22),
    .knobRim = hex(0x111214), .knobTop = hex(0x62666e), .knobBottom = hex(0x2a2c31),
    .knobPointer = hex(0xf3ead6), .knobTrack = hex(0x141518), .knobArc = hex(0xd9c391),
    .tabLegend = hex(0x222326), .tabShadow = hex(0x0b0b0c),
    .button = hex(0x3d4047), .buttonEdge = hex(0x5d616a), .buttonText = hex(0xe4ddcc),
};

// Each area of the panel has an accent for its title and a face colour for its switches.
struct Section {
  Rgb accent;
  Rgb tabFace;
};

inline constexpr Section kPerformance = {hex(0xd7ae5e), hex(0xe2dac6)};
inline constexpr Section kSynthe = {hex(0x6cb8ae), hex(0xb3d5ce)};
inline constexpr Section kInstrument = {hex(0xde9272), hex(0xe6bda8)};
inline constexpr Section kMaster = {hex(0xa9b6c8), hex(0xc9d0da)};
inline constexpr Section kChorus = {hex(0xa89fd4), hex(0xcbc6e6)};

inline constexpr Font kTitleFont = {"Liberation Sans", true, 11};
inline constexpr double kTitleTracking = 1.2;
inline constexpr Font kLabelFont = {"Liberation Sans Narrow", true, 10};
inline constexpr Font kHeadingFont = {"Liberation Sans Narrow", true, 10};
inline constexpr double kHeadingTracking = 0.8;
inline constexpr Font kSmallFont = {"Liberation Sans Narrow", true, 9};
// As the editor's own text labels of the preset panel, so its fixed and changing labels match.
inline constexpr Font kPresetFont = {"Liberation Sans", false, 10};
inline constexpr Font kLegendFont = {"Liberation Sans Narrow", true, 9};
inline constexpr Font kFootageFont = {"Liberation Sans", true, 11};
inline constexpr Font kDisplayFont = {"Liberation Sans", true, 13};
inline constexpr Font kButtonFont = {"Liberation Sans", true, 10};
inline constexpr Font kLogoFont = {"Liberation Sans", true, 26};

// Knobs: a 270 degree sweep from lower left to lower right, shared by every knob size.
inline constexpr double kKnobSweepDegrees = 270;

// A two-frame switch image: its legend (lines split by '\n'; a first line ending in ' is the
// footage, drawn larger) and the section whose face colour it wears.
struct TabSwitch {
  int number;
  const char* legend;
  const Section* section;
};

inline const TabSwitch kTabSwitches[] = {
    {103, "OCT\nDOWN", &kPerformance}, {104, "OCT\nUP", &kPerformance},
    {105, "PORTA", &kPerformance},     {106, "KBD\nSENS", &kPerformance},
    {107, "JOY\nSYN", &kPerformance},  {108, "JOY\nINST", &kPerformance},
    {109, "DELAY\nVIB", &kPerformance}, {110, "1/4\nTONE", &kPerformance},
    {111, "MULTI\nTRIG", &kPerformance}, {112, "KEY\nHOLD", &kPerformance},
    {113, "RING\nMOD", &kMaster},      {114, "NOISE", &kSynthe},
    {115, "32'\nSAW", &kSynthe},       {116, "16'\nS/H", &kSynthe},
    {117, "16'\nPWM", &kSynthe},       {118, "8'\nSAW", &kSynthe},
    {119, "8'\nPULSE", &kSynthe},      {120, "8'\nRECT", &kSynthe},
    {121, "4'\nSAW", &kSynthe},        {122, "32'\nELEC\nBASS", &kInstrument},
    {123, "32'\nTUBA", &kInstrument},  {124, "16'\nCLAVI", &kInstrument},
    {125, "16'\nFUZZ\nGTR", &kInstrument}, {126, "16'\nHORN", &kInstrument},
    {127, "8'\nTRUMP", &kInstrument},  {128, "8'\nCLAR", &kInstrument},
    {129, "8'\nDBL\nREED", &kInstrument}, {130, "8'\nSTRING", &kInstrument},
    {131, "4'\nFLUTE", &kInstrument},  {132, "4'\nHAMM\nPERC", &kInstrument},
};

// Control places on the panel (top-left corners, panel pixels).
namespace place {
inline constexpr double kSmallKnob = 24, kLargeKnob = 32, kTrimpot = 32;
inline constexpr double kTopKnobY = 76, kTabY = 136, kTabWidth = 32, kTabHeight = 72, kColumn = 32;
inline constexpr double kPerformanceKnobX = 28, kSyntheKnobX = 412, kInstrumentKnobX = 732;
inline constexpr double kPerformanceTabX = 24, kSyntheTabX = 408, kInstrumentTabX = 728;
inline constexpr double kVolumeX = 52, kBalanceX = 148, kMasterKnobY = 288;
inline constexpr double kKbsModeX = 224, kKbsDestX = 272, kKbsY = 282;  // three-position switches, 14 x 30
inline constexpr double kPanSyntheX = 338, kPanInstX = 406, kPanY = 292;
inline constexpr double kVoicesX = 403, kVoicesY = 366, kVelocityX = 406, kVelocityY = 412;
inline constexpr double kDepthLeftX = 36, kDepthRightX = 208, kModRowY[2] = {364, 412};
inline constexpr double kSourceLeftX = 68, kSourceRightX = 240, kSourceWidth = 128, kSourceOffsetY = 6, kSourceHeight = 12;
inline constexpr double kChorusSwitchX = 926, kChorusSwitchY = 366, kChorusMixX[2] = {980, 1038}, kChorusMixY = 364;
inline constexpr double kChorusLowX = 922, kChorusLowPitch = 58, kChorusLowY = 412;
inline constexpr double kProgramX = 477, kProgramY = 296, kProgramNameX = 510, kProgramRight = 702, kProgramBottom = 312;
inline constexpr double kPrevX = 706, kNextX = 730, kStepY = 294;
inline constexpr double kOptionX = 770, kOptionY = 294, kOptionSize = 20;
inline constexpr double kLearnX = 811, kLearnY = 293;
inline constexpr double kRingX = 918, kRingY = 290;
inline constexpr double kCoverX = 455, kCoverY = 351, kCoverWidth = 442, kCoverHeight = 122;
inline constexpr double kSelectStripX = 449, kSelectStripY = 213;
inline constexpr double kPresetGainX = 472, kPresetGainPitch = 56, kPresetEnvX = 700, kPresetEnvPitch = 50, kPresetKnobY = 408;
inline constexpr double kPwmSpeedX = 640, kPwmSpeedY = 376;
// The two indicators: the vibrato LFO's beside its knobs, the sample-and-hold clock's above its knob.
inline constexpr double kLfoLedX = 324, kLfoLedY = 84, kClockLedX = 516, kClockLedY = 62;
}  // namespace place

// A row of knobs with a label under each (lines split by '\n').
struct KnobRow {
  double x, y, pitch, size;
  std::vector<std::string> labels;
};

inline const std::vector<KnobRow> kKnobRows = {
    {place::kPerformanceKnobX, place::kTopKnobY, place::kColumn, place::kSmallKnob,
     {"MASTER", "SYN", "PORTA\nTIME", "KBS\nINT", "SYN", "INST", "DEPTH", "SPEED", "DELAY"}},
    {place::kSyntheKnobX, place::kTopKnobY, place::kColumn, place::kSmallKnob,
     {"PITCH", "A/R", "A/R", "CLOCK", "A/R", "A/R", "DECAY", "A/R", "DECAY"}},
    {place::kInstrumentKnobX, place::kTopKnobY, place::kColumn, place::kSmallKnob,
     {"FREQ", "FREQ", "WIDTH", "TONE", "FREQ", "FREQ", "TONE", "TONE", "ATTACK", "TONE", "DECAY"}},
};

// A box of the panel with its title set into the top edge. A box of no width is a title alone.
struct Box {
  const char* title;
  double x, y, w, h;
  const Section* section;
  double titleX = 0;  // 0: near the box's left edge
};

inline const std::vector<Box> kBoxes = {
    {"PERFORMANCE", 16, 8, 352, 228, &kPerformance},
    {"SYNTHE", 376, 8, 712, 228, &kSynthe, 400},
    {"INSTRUMENT", 0, 8, 0, 0, &kInstrument, 724},
    {"OUTPUT", 16, 246, 180, 90, &kMaster},
    {"KBD SENSOR", 204, 246, 120, 90, &kPerformance},
    {"PAN", 332, 246, 112, 90, &kMaster},
    {"PROGRAM", 452, 246, 450, 90, &kMaster},
    {"", 910, 246, 178, 90, &kMaster},
    {"MODULATION", 16, 344, 360, 136, &kMaster},
    {"VOICES", 384, 344, 60, 136, &kMaster},
    {"PRESET EDIT", 450, 344, 452, 136, &kMaster},
    {"CHORUS", 910, 344, 178, 136, &kChorus},
};

// A heading centred over a span of columns, with a thin rule either side.
struct Heading {
  const char* text;
  double x0, x1, y;
  const Section* section;
};

inline const std::vector<Heading> kHeadings = {
    {"TUNE", 28, 84, 50, &kPerformance},
    {"JOYSTICK", 156, 212, 50, &kPerformance},
    {"VIBRATO LFO", 220, 340, 50, &kPerformance},
    {"FOOTAGE ADJUST", 444, 692, 50, &kSynthe},
    {"TONE ADJUST", 732, 1076, 50, &kInstrument},
};

// A free label; x is its centre unless aligned otherwise.
struct Label {
  const char* text;
  double x, y;
  Align align = Align::Centre;
  bool dim = false;
};

}  // namespace artwork
