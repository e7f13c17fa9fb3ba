// The synthesizer base under the instrument: MIDI event queue, controller map and MIDI learn,
// settings and paths, program copy buffer. Holds nothing specific to one instrument's sound.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "editor/IPlugCommands.h"
#include "framework/IPlugVST.h"
#include "instrument/MidiEventQueue.h"
#include "instrument/MidiLearn.h"
#include "instrument/MtsClient.h"
#include "platform/PrivateProfile.h"
#include "platform/UserDialogs.h"

namespace sorvel {

class IControl;
class IGraphicsEditor;

class Synth : public IPlugVST, public IPlugCommands {
 public:
  static constexpr int kControllerCount = MidiLearn::kControllerCount;

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
  bool hasCopiedProgram() const override { return copyBuffer_.size() > 0; }
  bool hasStartupBank() const override { return !startupBankPath_.empty(); }
  bool midiThruOn() const override { return midiThru; }
  bool ignoresProgramChange() const override { return ignoreProgramChange; }
  std::string makerWebPage() const override;
  std::string visitMakerMenuText() const override;
  void visitMakerWebSite() override;

  // MIDI learn, from the MIDI input.
  void captureController(int controller);
  void learnStep();

  MidiEventQueue& midiQueue() { return midiQueue_; }
  MidiLearn::ControllerMap& controllerMap() { return midiLearn_.map(); }
  // Parameter index that controller n drives, or -1.
  int mappedParameter(int controller) const { return midiLearn_.mappedParameter(controller); }

  bool midiThru = false;
  bool ignoreProgramChange = false;

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
  // map and preset defaults.
  enum class ConfigurationStatus { Read, FileMissing };
  enum class ConfigurationWrite { All, MidiThruOnly, IgnoreProgramChangeOnly };
  // Forms the file's path, creates the file on a first run (from an older installation's copy in
  // the plug-in folder when there is one) and reads it.
  void setUpConfiguration(const std::string& pluginFolder);
  ConfigurationStatus readConfiguration();
  // The writes are false when the file could not be written; what was on disk then stays.
  bool writeConfiguration(ConfigurationWrite which);
  bool writeStartupBank();
  bool selectStartupBank(const std::string& path);
  bool clearStartupBank();
  bool setProgramFilesFolder(const std::string& folder);
  const std::string& configurationPath() const { return configurationPath_; }
  const std::string& startupBankPath() const { return startupBankPath_; }
  const std::string& programFilesFolder() const { return programFilesFolder_; }
  const std::string& documentsFolder() const { return documentsFolder_; }

  // The user's starting values for the preset parameters, kept in the configuration file.
  void ensurePresetDefaults();
  void loadPresetDefaults();
  bool savePresetDefaults();

  int copyProgramIndex() const { return copyProgramIndex_; }
  // Start folder of the file dialogs, shared by every instance in the process.
  static std::string rememberedFolder();
  // Back to the state of a fresh process: the next command sets it again.
  static void forgetRememberedFolder();

 private:
  // Applies the preset defaults the document holds; false when that failed part way.
  bool applyPresetDefaults(const ProfileDocument& document);
  void copyProgram();
  void pasteProgram();
  bool confirm(const std::string& text, const std::string& caption);
  void runFileCommand(int number);
  void runFolderCommand(int number);
  void runConfigurationCommand(int number);
  bool toggleOption(bool& option, ConfigurationWrite which);
  // A configuration write that failed, as the user sees it.
  void cannotSave();
  void useRememberedFolder();
  // Turns the learn button off once learning has ended.
  void showLearnEnded();

 protected:
  MidiEventQueue midiQueue_{MidiEventQueue::kBurstEvents};
  int copyProgramIndex_ = -1;
  ByteChunk copyBuffer_{4096};
  std::string pluginFolder_;
  std::string documentsFolder_;
  std::string configurationPath_;
  std::string startupBankPath_;
  std::string programFilesFolder_;
  MidiLearn midiLearn_;

  // The editor, made here and handed to the plug-in base once its layout is built.
  std::unique_ptr<IGraphicsEditor> graphics_;
  IControl* learnButton_ = nullptr;         // set by the editor layout
  IControl* programMenuControl_ = nullptr;  // set by the editor layout

  std::unique_ptr<UserDialogs> dialogs_;
  PrivateProfile configuration_;
  std::unique_ptr<MtsClient> mtsClient_;
};

}  // namespace sorvel
