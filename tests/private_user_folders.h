// Every test process gets user folders of its own: XDG_CONFIG_HOME and HOME point into a temporary
// folder before any instance is constructed, and no display is set, so no test reads or writes the
// real user's settings or opens a window.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace testenv {

class PrivateUserFolders {
 public:
  PrivateUserFolders() {
    char pattern[] = "/tmp/sorvel-user-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) std::abort();
    root_ = made;
    std::filesystem::create_directories(root_ + "/home");
    ::setenv("XDG_CONFIG_HOME", configFolder().c_str(), 1);
    ::setenv("HOME", homeFolder().c_str(), 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
  }
  ~PrivateUserFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  PrivateUserFolders(const PrivateUserFolders&) = delete;
  PrivateUserFolders& operator=(const PrivateUserFolders&) = delete;

  std::string configFolder() const { return root_ + "/config"; }
  std::string homeFolder() const { return root_ + "/home"; }

  // Points the variables back here after a test moved them.
  void restore() const {
    ::setenv("XDG_CONFIG_HOME", configFolder().c_str(), 1);
    ::setenv("HOME", homeFolder().c_str(), 1);
  }

 private:
  std::string root_;
};

inline PrivateUserFolders& privateUserFolders() {
  static PrivateUserFolders folders;
  return folders;
}

}  // namespace testenv
