// The user's configuration file and the settings it keeps: the startup bank, the program files'
// folder, the MIDI options and the controller map. Owns them; the plug-in reads them from here.
#pragma once

#include <string>

#include "instrument/ControllerMap.h"
#include "platform/PrivateProfile.h"
#include "platform/RecursiveLock.h"

namespace sorvel {

class Configuration {
 public:
  enum class Status { Read, FileMissing };
  enum class Write { All, MidiThruOnly, IgnoreProgramChangeOnly };

  // The lock is the plug-in's: the MIDI input reads the options and the map on the audio thread.
  // Stored map entries above the last parameter read as -1.
  Configuration(RecursiveLock& lock, int parameterCount);

  // Forms the file's path, creates the file on a first run (from an older installation's copy in
  // the plug-in folder when there is one) and reads it.
  void setUp(const std::string& pluginFolder);
  Status read();
  // The writes are false when the file could not be written; what was on disk then stays.
  bool write(Write which);
  bool writeStartupBank();
  bool selectStartupBank(const std::string& path);
  bool clearStartupBank();
  // Forgets the startup bank for this run only (it did not load).
  void forgetStartupBank() { startupBankPath_.clear(); }
  bool setProgramFilesFolder(const std::string& folder);
  // Flips the option under the lock, then writes it with the lock released.
  bool toggle(bool& option, Write which);

  const std::string& path() const { return path_; }
  const std::string& startupBankPath() const { return startupBankPath_; }
  const std::string& programFilesFolder() const { return programFilesFolder_; }
  const std::string& documentsFolder() const { return documentsFolder_; }
  // The same file holds other parts' sections (the preset defaults).
  PrivateProfile& file() { return file_; }

  bool midiThru = false;
  bool ignoreProgramChange = false;
  ControllerMap controllerMap;

 private:
  RecursiveLock& lock_;
  int parameterCount_;
  PrivateProfile file_;
  std::string path_;
  std::string startupBankPath_;
  std::string documentsFolder_;
  std::string programFilesFolder_;
};

}  // namespace sorvel
