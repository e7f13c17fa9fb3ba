// The options menu's command numbers and the texts the commands work with.
#pragma once

#include <string>

namespace sorvel {

namespace command {
enum : int {
  kCopyProgram = 0,
  kPasteProgram = 1,
  kInitProgram = 2,
  kLoadProgram = 4,
  kSaveProgram = 5,
  kLoadBank = 6,
  kSaveBank = 7,
  kSelectStartupBank = 9,
  kLoadStartupBank = 10,
  kUnselectStartupBank = 11,
  kDefaultPathForProgramFiles = 13,
  kReloadConfiguration = 15,
  kSaveConfiguration = 16,
  kLoadPresetDefaults = 18,
  kSavePresetDefaults = 19,
  kMidiThru = 22,
  kIgnoreProgramChange = 23,
  kCheckOnlineForUpdate = 24,
};
}  // namespace command

// Longest confirmation text; longer ones are cut.
constexpr std::size_t kMaxConfirmationText = 1023;

// A program name made fit for a file name: each of < > : " / \ | ? * becomes '_'.
std::string proposedFileName(const std::string& programName);

// The path cut before its last '/' or '\'; empty when no separator follows the first character.
std::string folderPart(const std::string& path);

}  // namespace sorvel
