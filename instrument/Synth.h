// The synthesizer base under the instrument: MIDI event queue, MIDI learn, the configuration,
// program commands. Holds nothing specific to one instrument's sound; each part owns its state.
#pragma once

#include <memory>
#include <string>

#include "editor/IPlugCommands.h"
#include "framework/IPlugVST.h"
#include "instrument/Configuration.h"
#include "instrument/MidiEventQueue.h"
#include "instrument/MidiLearn.h"
#include "instrument/MtsClient.h"
#include "instrument/ProgramCommands.h"
#include "instrument/SynthProgramHost.h"
#include "platform/UserDialogs.h"

namespace sorvel {

class IControl;
class IGraphicsEditor;

class Synth : public IPlugVST, public IPlugCommands {
 public:
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
  virtual void initialiseProgram();
  // Asks the maker's site for a newer version (the options menu's update command).
  virtual void checkOnlineForUpdate();

  // What the editor asks of the plug-in.
  void selectProgram(int index) override;
  void publishAllParametersToHost() override;
  void runCommand(int number) override;
  void armLearn(bool on, bool unlearnMode) override;
  bool hasCopiedProgram() const override { return commands_.hasCopiedProgram(); }
  bool hasStartupBank() const override { return !configuration_.startupBankPath().empty(); }
  bool midiThruOn() const override { return configuration_.midiThru; }
  bool ignoresProgramChange() const override { return configuration_.ignoreProgramChange; }
  std::string makerWebPage() const override;
  std::string visitMakerMenuText() const override;
  void visitMakerWebSite() override;

  // MIDI learn, from the MIDI input.
  void captureController(int controller);
  void learnStep();

  MidiEventQueue& midiQueue() { return midiQueue_; }
  ControllerMap& controllerMap() { return configuration_.controllerMap; }
  // Parameter index that controller n drives, or -1.
  int mappedParameter(int controller) const { return sorvel::mappedParameter(configuration_.controllerMap, controller); }

  bool learning() const { return midiLearn_.learning(); }
  bool unlearnMode() const { return midiLearn_.unlearnMode(); }
  int capturedController() const { return midiLearn_.capturedController(); }
  int capturedParameter() const { return midiLearn_.capturedParameter(); }

  const std::string& pluginFolder() const { return pluginFolder_; }

  // The microtuning client, registered with the tuning library for this instance's lifetime.
  MtsClient* mtsClient() { return mtsClient_.get(); }

  // Messages, questions and file choices for the user; tests put scripted ones in.
  UserDialogs& dialogs() { return *dialogs_; }
  void setDialogs(std::unique_ptr<UserDialogs> dialogs);

  // The user's configuration file: startup bank, program-files folder, MIDI options, controller
  // map; the preset defaults are kept in it too.
  Configuration& configuration() { return configuration_; }
  using ConfigurationStatus = Configuration::Status;
  using ConfigurationWrite = Configuration::Write;
  void setUpConfiguration(const std::string& pluginFolder) { configuration_.setUp(pluginFolder); }
  ConfigurationStatus readConfiguration() { return configuration_.read(); }
  bool writeConfiguration(ConfigurationWrite which) { return configuration_.write(which); }
  bool writeStartupBank() { return configuration_.writeStartupBank(); }
  bool selectStartupBank(const std::string& path) { return configuration_.selectStartupBank(path); }
  bool clearStartupBank() { return configuration_.clearStartupBank(); }
  bool setProgramFilesFolder(const std::string& folder) { return configuration_.setProgramFilesFolder(folder); }
  const std::string& configurationPath() const { return configuration_.path(); }
  const std::string& startupBankPath() const { return configuration_.startupBankPath(); }
  const std::string& programFilesFolder() const { return configuration_.programFilesFolder(); }
  const std::string& documentsFolder() const { return configuration_.documentsFolder(); }

  // The user's starting values for the preset parameters, kept in the configuration file.
  void ensurePresetDefaults();
  void loadPresetDefaults();
  bool savePresetDefaults();

  int copyProgramIndex() const { return commands_.copyProgramIndex(); }
  // Start folder of the file dialogs, shared by every instance in the process.
  static std::string rememberedFolder() { return ProgramCommands::rememberedFolder(); }
  // Back to the state of a fresh process: the next command sets it again.
  static void forgetRememberedFolder() { ProgramCommands::forgetRememberedFolder(); }

 private:
  // Applies the preset defaults the document holds; false when that failed part way.
  bool applyPresetDefaults(const ProfileDocument& document);
  // Turns the learn button off once learning has ended.
  void showLearnEnded();

 protected:
  MidiEventQueue midiQueue_{MidiEventQueue::kBurstEvents};
  std::string pluginFolder_;
  Configuration configuration_;
  MidiLearn midiLearn_{configuration_.controllerMap};
  SynthProgramHost programHost_{*this};
  ProgramCommands commands_{programHost_, configuration_};

  // The editor, made here and handed to the plug-in base once its layout is built.
  std::unique_ptr<IGraphicsEditor> graphics_;
  IControl* learnButton_ = nullptr;         // set by the editor layout
  IControl* programMenuControl_ = nullptr;  // set by the editor layout

  std::unique_ptr<UserDialogs> dialogs_;
  std::unique_ptr<MtsClient> mtsClient_;
};

}  // namespace sorvel
