// The editor's images: resource number, name, pixel size and frame count. A strip holds its frames
// stacked vertically, so a frame is height / frames pixels tall. The artwork generator draws from
// this table and the build embeds every entry under its number and name.
#pragma once

namespace sorvel {

struct PanelImage {
  int number;
  const char* name;
  int width;
  int height;
  int frames;
};

inline constexpr PanelImage kPanelImages[] = {
    {101, "resources/img/back.png", 1104, 488, 1},
    {103, "resources/img/OctaveDown.png", 32, 144, 2},
    {104, "resources/img/OctaveUp.png", 32, 144, 2},
    {105, "resources/img/Portamento.png", 32, 144, 2},
    {106, "resources/img/KBDSensor.png", 32, 144, 2},
    {107, "resources/img/JoystickSynthe.png", 32, 144, 2},
    {108, "resources/img/JoystickInst.png", 32, 144, 2},
    {109, "resources/img/DelayVib.png", 32, 144, 2},
    {110, "resources/img/QuarterTone.png", 32, 144, 2},
    {111, "resources/img/MultipleTrig.png", 32, 144, 2},
    {112, "resources/img/KeyHold.png", 32, 144, 2},
    {113, "resources/img/RingMod.png", 32, 144, 2},
    {114, "resources/img/Noise.png", 32, 144, 2},
    {115, "resources/img/32Saw.png", 32, 144, 2},
    {116, "resources/img/16SH.png", 32, 144, 2},
    {117, "resources/img/16PWM.png", 32, 144, 2},
    {118, "resources/img/8Saw.png", 32, 144, 2},
    {119, "resources/img/8Pulse.png", 32, 144, 2},
    {120, "resources/img/8Rect.png", 32, 144, 2},
    {121, "resources/img/4Saw.png", 32, 144, 2},
    {122, "resources/img/32ElecBass.png", 32, 144, 2},
    {123, "resources/img/32Tuba.png", 32, 144, 2},
    {124, "resources/img/16Clavi.png", 32, 144, 2},
    {125, "resources/img/16FuzzGuitar.png", 32, 144, 2},
    {126, "resources/img/16Horn.png", 32, 144, 2},
    {127, "resources/img/8Trumpet.png", 32, 144, 2},
    {128, "resources/img/8Clarinet.png", 32, 144, 2},
    {129, "resources/img/8DoubleReed.png", 32, 144, 2},
    {130, "resources/img/8String.png", 32, 144, 2},
    {131, "resources/img/4Flute.png", 32, 144, 2},
    {132, "resources/img/4HammeredPerc.png", 32, 144, 2},
    {133, "resources/img/knob.png", 32, 2080, 65},
    {134, "resources/img/knob_small.png", 24, 1560, 65},
    {135, "resources/img/switch2.png", 14, 40, 2},
    {136, "resources/img/switch3.png", 14, 90, 3},
    {137, "resources/img/voices.png", 32, 140, 7},
    {138, "resources/img/midilearn.png", 76, 48, 2},
    {139, "resources/img/midiunlearn.png", 76, 48, 2},
    {140, "resources/img/led_on.png", 8, 8, 1},
    {141, "resources/img/kick.png", 16, 32, 2},
    {142, "resources/img/flip.png", 23, 42, 2},
    {143, "resources/img/trimpot.png", 32, 2080, 65},
    {144, "resources/img/kicks.png", 624, 17, 1},
    {145, "resources/img/ring.png", 17, 17, 1},
    {146, "resources/img/cover.png", 442, 122, 1},
    {147, "resources/img/prev.png", 20, 40, 2},
    {148, "resources/img/next.png", 20, 40, 2},
};

}  // namespace sorvel
