// The user's folders on this desktop: where per-user settings live and where documents go.
#pragma once

#include <string>

namespace sorvel {

// $XDG_CONFIG_HOME when it holds an absolute path, else ~/.config. Empty when no home is known.
std::string userConfigurationFolder();

// The documents folder named in the user's user-dirs.dirs when it exists, else ~/Documents when it
// exists, else the home folder. Empty when no home is known.
std::string userDocumentsFolder();

// The home folder: $HOME, else the password database's entry.
std::string userHomeFolder();

// Parses the XDG_DOCUMENTS_DIR line of a user-dirs.dirs text; "$HOME" is replaced by home. Empty
// when the line is missing or malformed.
std::string documentsDirFromUserDirs(const std::string& text, const std::string& home);

}  // namespace sorvel
