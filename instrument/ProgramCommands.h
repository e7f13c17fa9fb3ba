// The texts the options menu's commands work with; the command numbers are the menu's.
#pragma once

#include <string>

#include "editor/IPlugCommands.h"

namespace sorvel {

// Longest confirmation text; longer ones are cut.
constexpr std::size_t kMaxConfirmationText = 1023;

// A program name made fit for a file name: each of < > : " / \ | ? * becomes '_'.
std::string proposedFileName(const std::string& programName);

// The path cut before its last '/' or '\'; empty when no separator follows the first character.
std::string folderPart(const std::string& path);

}  // namespace sorvel
