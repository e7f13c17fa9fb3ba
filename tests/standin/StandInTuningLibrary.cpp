// A stand-in for the tuning library that masters install: the nine client functions over a table
// that the test sets, plus controls for the test. Built in full and with functions left out.
#include <atomic>
#include <cmath>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

double table[128];
bool filtered[128];
std::atomic<bool> master{false};
std::atomic<int> clients{0};
std::atomic<int> registrations{0};
std::atomic<int> filterQueries{0};
std::atomic<int> lastFilterChannel{0};

void equalTemperament() {
  for (int n = 0; n < 128; ++n) table[n] = 440.0 * std::pow(2.0, (n - 69) / 12.0);
}

const bool kFilled = (equalTemperament(), true);

}  // namespace

// Test controls.
STANDIN_EXPORT void StandIn_Reset() {
  equalTemperament();
  for (bool& f : filtered) f = false;
  master = false;
  clients = 0;
  registrations = 0;
  filterQueries = 0;
  lastFilterChannel = 0;
}
STANDIN_EXPORT void StandIn_SetMaster(bool on) { master = on; }
STANDIN_EXPORT void StandIn_SetFrequency(int note, double hz) { table[note & 127] = hz; }
STANDIN_EXPORT void StandIn_SetFiltered(int note, bool on) { filtered[note & 127] = on; }
STANDIN_EXPORT int StandIn_Clients() { return clients; }
STANDIN_EXPORT int StandIn_Registrations() { return registrations; }
STANDIN_EXPORT int StandIn_FilterQueries() { return filterQueries; }
STANDIN_EXPORT int StandIn_LastFilterChannel() { return lastFilterChannel; }

// The client interface.
STANDIN_EXPORT void MTS_RegisterClient() {
  ++clients;
  ++registrations;
}
#ifndef STANDIN_WITHOUT_DEREGISTER
STANDIN_EXPORT void MTS_DeregisterClient() { --clients; }
#endif
#ifndef STANDIN_WITHOUT_MASTER
STANDIN_EXPORT bool MTS_HasMaster() { return master; }
#endif
STANDIN_EXPORT bool MTS_ShouldFilterNote(char note, char channel) {
  ++filterQueries;
  lastFilterChannel = channel;
  return filtered[note & 127];
}
STANDIN_EXPORT bool MTS_ShouldFilterNoteMultiChannel(char note, char channel) {
  return MTS_ShouldFilterNote(note, channel);
}
#ifndef STANDIN_WITHOUT_TABLE
STANDIN_EXPORT const double* MTS_GetTuningTable() { return table; }
#endif
STANDIN_EXPORT const double* MTS_GetMultiChannelTuningTable(char /*channel*/) { return table; }
STANDIN_EXPORT bool MTS_UseMultiChannelTuning(char /*channel*/) { return false; }
STANDIN_EXPORT const char* MTS_GetScaleName() { return "Stand-in"; }
