// MIDI event handling: notes and voice assignment, the sustain pedal, controllers, pressure and
// pitch bend.
#include <cstdint>

#include "dsp/EngineTables.h"
#include "engine/Engine.h"
#include "framework/MidiMessage.h"

namespace sorvel {

namespace {

constexpr int kModulationWheel = 1;
constexpr int kSustainPedal = 64;

}  // namespace

void Engine::handleEvent(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, EngineHost& host) {
  const int kind = status >> 4;
  if (kind < kMidiNoteOff || kind > kMidiPitchBend) return;
  catchUpVoices();
  catchUpModulation();
  voicesSilent_ = false;
  // Data bytes are seven bits; anything above comes from a faulty sender.
  const int d1 = data1 & kMidiDataMask;
  const int d2 = data2 & kMidiDataMask;
  switch (kind) {
    case kMidiNoteOn:
      if (d2 > 0) {
        noteOn(d1, d2, host);
        break;
      }
      [[fallthrough]];
    case kMidiNoteOff:
      noteOff(d1, host);
      break;
    case kMidiControlChange: {
      const double value = d2 / static_cast<double>(kMidiDataMaximum);
      if (d1 == kModulationWheel) {
        state_.sources[kSourceFirstController + kModulationWheel] = value;
      } else if (d1 == kSustainPedal) {
        sustainPedal(value);
        state_.sources[kSourceFirstController + kSustainPedal] = value;
      } else if (d1 < kFirstChannelModeController) {
        host.controllerMoved(d1, value);
        state_.sources[static_cast<std::size_t>(kSourceFirstController + d1)] = value;
      }
      break;
    }
    case kMidiChannelPressure:
      state_.channelPressure = d1 / static_cast<double>(kMidiDataMaximum);
      state_.sources[kSourceChannelPressure] = state_.channelPressure;
      break;
    case kMidiPitchBend:
      state_.pitchBend = ((d2 << 7) + d1 - kPitchBendCentre) / static_cast<double>(kPitchBendCentre);
      state_.sources[kSourcePitchBend] = state_.pitchBend;
      break;
    default:
      break;
  }
}

double Engine::notePitch(int note, EngineHost& host) const {
  if (host.tuningActive()) return frequencyToPitch(host.noteFrequency(note & kMidiDataMask));
  return note * 128.0;  // in 1/128 semitone
}

int Engine::chooseVoice(int note) const {
  for (int i = 0; i < voicesInUse_; ++i) {
    if (voice(i).lastNote == note) return i;
  }
  for (int i = 0; i < voicesInUse_; ++i) {
    if (!voice(i).active && !voice(i).keyDown) return i;
  }
  int oldest = 0;
  for (int i = 1; i < voicesInUse_; ++i) {
    if (voice(i).serial < voice(oldest).serial) oldest = i;
  }
  return oldest;
}

void Engine::noteOn(int note, int velocity, EngineHost& host) {
  if (host.tuningActive() && host.noteFiltered(note & kMidiDataMask)) return;
  heldNotes_.press(note, velocity);
  const int chosen = chooseVoice(note);
  // A 32-bit counter that wraps rather than overflowing.
  noteCounter_ = static_cast<int>(static_cast<std::uint32_t>(noteCounter_) + 1u);
  Voice& v = voice(chosen);
  v.start(note, velocity, noteCounter_, notePitch(note, host));
  v.keyDown = true;
}

void Engine::noteOff(int note, EngineHost& host) {
  heldNotes_.release(note);
  Voice& first = voice(0);
  if (voicesInUse_ == 1 && first.lastNote == note && (first.active || first.keyDown) && !heldNotes_.empty()) {
    // Single voice: return to the highest key still held, as the same note event (no new serial).
    const int highest = heldNotes_.highest();
    first.start(highest, first.velocity, first.serial, notePitch(highest, host));
    first.keyDown = true;
    return;
  }
  for (int i = 0; i < voicesInUse_; ++i) {
    Voice& v = voice(i);
    if (v.lastNote != note) continue;
    v.keyDown = false;
    if (!v.keyHold) v.releaseAll();
    return;
  }
}

void Engine::sustainPedal(double value) {
  for (auto& v : voices_) {
    if (value > 0) {
      v->keyHold = true;
    } else {
      v->keyHold = false;
      if (!v->keyDown) v->releaseAll();
    }
  }
}

void Engine::allNotesOff() {
  catchUpVoices();
  heldNotes_.clear();
  for (auto& v : voices_) {
    v->keyHold = false;
    v->keyDown = false;
    v->releaseAll();
  }
}

}  // namespace sorvel
