// Composes the demo piece and writes it as a Standard MIDI File (format 1).
//
//   make-demo-midi OUTPUT.mid
//
// Eight bars in A minor: a bass line on channel 1, sustained chords on channel 2 and a melody on
// channel 3, slowing down over the last two bars (tempo changes) with the modulation wheel
// brought in on the final note. The renderer plays every channel by default; --channel picks one.
// The MIDI library wraps its own includes in C linkage; glib must come in first, as C++.
#include <glib.h>
#include <smf.h>

#include <cstdio>
#include <cstdint>
#include <vector>

#include "framework/MidiMessage.h"

namespace {

constexpr int kPulsesPerQuarter = 480;
constexpr int kBar = 4 * kPulsesPerQuarter;
constexpr int kBars = 8;

struct Note {
  double beat;    // from the start of the piece, in quarter notes
  double length;  // in quarter notes
  int key;
};

int pulses(double beats) { return static_cast<int>(beats * kPulsesPerQuarter + 0.5); }

void addMeta(smf_track_t* track, int at, std::vector<unsigned char> bytes) {
  smf_event_t* event = smf_event_new_from_pointer(bytes.data(), static_cast<int>(bytes.size()));
  smf_track_add_event_pulses(track, event, at);
}

void addTempo(smf_track_t* track, int at, int beatsPerMinute) {
  const std::uint32_t microseconds = 60000000u / static_cast<std::uint32_t>(beatsPerMinute);
  addMeta(track, at, {0xFF, 0x51, 0x03, static_cast<unsigned char>(microseconds >> 16),
                      static_cast<unsigned char>(microseconds >> 8), static_cast<unsigned char>(microseconds)});
}

void addMessage(smf_track_t* track, int at, int status, int data1, int data2) {
  smf_track_add_event_pulses(track, smf_event_new_from_bytes(status, data1, data2), at);
}

smf_track_t* addPart(smf_t* smf, const std::vector<Note>& notes, int channel, int velocity) {
  smf_track_t* track = smf_track_new();
  smf_add_track(smf, track);
  for (const Note& note : notes) {
    // Ends a little early so repeated keys are heard as new notes.
    const int start = pulses(note.beat);
    const int end = pulses(note.beat + note.length) - 10;
    addMessage(track, start, sorvel::statusByte(sorvel::kMidiNoteOn, channel), note.key, velocity);
    addMessage(track, end, sorvel::statusByte(sorvel::kMidiNoteOff, channel), note.key, 0);
  }
  return track;
}

std::vector<Note> bassLine() {
  const int roots[kBars] = {45, 41, 48, 43, 45, 41, 43, 45};  // A F C G A F G A
  std::vector<Note> notes;
  for (int bar = 0; bar < kBars - 1; ++bar) {
    const double start = bar * 4.0;
    const int root = roots[bar];
    notes.push_back({start, 1.0, root});
    notes.push_back({start + 1.0, 0.5, root});
    notes.push_back({start + 1.5, 0.5, root});
    notes.push_back({start + 2.0, 1.0, root + 7});
    notes.push_back({start + 3.0, 1.0, root + 12});
  }
  notes.push_back({(kBars - 1) * 4.0, 4.0, roots[kBars - 1]});
  return notes;
}

std::vector<Note> chords() {
  const int triads[kBars][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62},
                                {57, 60, 64}, {53, 57, 60}, {55, 59, 62}, {57, 60, 64}};
  std::vector<Note> notes;
  for (int bar = 0; bar < kBars; ++bar) {
    for (int key : triads[bar]) notes.push_back({bar * 4.0, 4.0, key});
  }
  return notes;
}

std::vector<Note> melody() {
  return {
      {0, 1, 64},  {1, 1, 69},    {2, 1, 72},    {3, 0.5, 71},  {3.5, 0.5, 69},  // Am
      {4, 2, 69},  {6, 1, 67},    {7, 1, 65},                                    // F
      {8, 1, 64},  {9, 1, 67},    {10, 2, 72},                                   // C
      {12, 1, 71}, {13, 0.5, 69}, {13.5, 0.5, 67}, {14, 2, 62},                  // G
      {16, 1, 64}, {17, 1, 69},   {18, 1, 72},   {19, 1, 76},                    // Am
      {20, 1, 74}, {21, 1, 72},   {22, 2, 69},                                   // F
      {24, 1, 71}, {25, 1, 74},   {26, 1, 67},   {27, 1, 71},                    // G
      {28, 4, 69},                                                               // Am
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-demo-midi OUTPUT.mid\n");
    return 2;
  }
  smf_t* smf = smf_new();
  if (smf == nullptr || smf_set_ppqn(smf, kPulsesPerQuarter) != 0) return 1;

  smf_track_t* conductor = smf_track_new();
  smf_add_track(smf, conductor);
  addMeta(conductor, 0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});  // 4/4
  addTempo(conductor, 0, 100);
  addTempo(conductor, 6 * kBar, 90);
  addTempo(conductor, 7 * kBar, 80);

  addPart(smf, bassLine(), 0, 100);
  addPart(smf, chords(), 1, 70);
  constexpr int kLeadChannel = 2;
  smf_track_t* lead = addPart(smf, melody(), kLeadChannel, 96);
  const int kLeadController = sorvel::statusByte(sorvel::kMidiControlChange, kLeadChannel);
  for (int step = 0; step <= 16; ++step) {
    addMessage(lead, 7 * kBar + kBar * step / 20, kLeadController, 1, step * 6);  // modulation wheel in
  }
  addMessage(lead, kBars * kBar, kLeadController, 1, 0);

  for (int number = 1; number <= smf->number_of_tracks; ++number) {
    if (smf_track_add_eot_pulses(smf_get_track_by_number(smf, number), kBars * kBar) != 0) return 1;
  }
  if (smf_set_format(smf, 1) != 0 || smf_save(smf, argv[1]) != 0) {
    std::fprintf(stderr, "make-demo-midi: cannot write %s\n", argv[1]);
    smf_delete(smf);
    return 1;
  }
  smf_delete(smf);
  return 0;
}
