// The synthesizer base under the instrument: MIDI event queue, controller map and MIDI learn,
// settings and paths, program copy buffer. Holds nothing specific to one instrument's sound.
#pragma once

#include <array>
#include <string>

#include "framework/IPlugVST.h"
#include "instrument/MidiEventQueue.h"

namespace sorvel {

class Synth : public IPlugVST {
 public:
  static constexpr int kControllerCount = 120;

  Synth(const PlugDescription& description, vst2::audioMasterCallback hostCallback);
  ~Synth() override;

  void reset() override;
  void parameterChanged(int index) override;
  void activate(bool on) override;

  // Operations this class adds, in slot order after the framework's.
  virtual void buildEditorLayout() {}
  virtual IGraphics* editorGraphics() { return editor(); }
  virtual void allNotesOff() {}
  virtual bool loadFactoryBank();
  virtual void buildParameterTable() {}
  virtual void initialiseProgram() {}

  // Tells the host every parameter's normalised value.
  void publishAllParametersToHost();

  // MIDI learn: a left click on the learn button arms it in the given mode.
  void armLearn(bool on, bool unlearnMode);
  void captureController(int controller);
  void learnStep();

  MidiEventQueue& midiQueue() { return midiQueue_; }
  std::array<int, kControllerCount>& controllerMap() { return controllerMap_; }
  // Parameter index that controller n drives, or -1.
  int mappedParameter(int controller) const;

  bool midiThru = false;
  bool ignoreProgramChange = false;

  bool learning() const { return learning_; }
  bool unlearnMode() const { return unlearnMode_; }
  int capturedController() const { return capturedController_; }
  int capturedParameter() const { return capturedParameter_; }

  const std::string& pluginFolder() const { return pluginFolder_; }

 protected:
  MidiEventQueue midiQueue_{1024};
  int copyProgramIndex_ = -1;
  ByteChunk copyBuffer_{4096};
  std::string pluginFolder_;
  std::string documentsFolder_;
  std::string configurationPath_;
  std::string startupBankPath_;
  std::string programFilesFolder_;
  std::array<int, kControllerCount> controllerMap_;

  bool learning_ = false;
  bool unlearnMode_ = false;
  int capturedController_ = -1;
  int capturedParameter_ = -1;
};

}  // namespace sorvel
