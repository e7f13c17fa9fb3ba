// The instrument: its parameter table, its state chunk and its MIDI input on top of the
// synthesizer base.
#pragma once

#include "engine/Engine.h"
#include "instrument/SorvelEngineHost.h"
#include "instrument/Synth.h"

namespace sorvel {

class SorvelPanel;

class Sorvel : public Synth {
 public:
  // Names the layout of a program's state, not the release: states saved by earlier releases carry
  // it too, so it stays when the version moves on.
  static constexpr char kStateTag[] = "Sorvel_1.3.1";
  static constexpr int kStateTagLength = 12;
  static constexpr int kProgramCount = 64;

  explicit Sorvel(vst2::audioMasterCallback hostCallback);
  ~Sorvel() override;

  void reset() override;
  void parameterChanged(int index) override;
  void render(double** inputs, double** outputs, int frames) override;
  void processMidiMessage(const MidiMessage& message) override;
  bool serializeState(ByteChunk& chunk) override;
  int unserializeState(const ByteChunk& chunk, int position) override;
  void redrawParameterControls() override;
  void programRestored() override;
  void allNotesOff() override;
  void buildParameterTable() override;
  void buildEditorLayout() override;
  void idle() override;

  static PlugDescription description();

  Engine& engine() { return engine_; }
  EngineHost& engineHost() { return engineHost_; }
  // The editor's panel; null when there is no editor.
  SorvelPanel* panel() { return panel_; }

 private:
  void showIndicators();

  Engine engine_;
  SorvelEngineHost engineHost_{*this};
  SorvelPanel* panel_ = nullptr;  // owned by the editor
};

}  // namespace sorvel
