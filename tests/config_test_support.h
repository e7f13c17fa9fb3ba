// A fresh pair of user folders for each test, the configuration file's path in it, and instruments
// with scripted dialogs.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "instrument/Sorvel.h"
#include "tests/private_user_folders.h"
#include "tests/scripted_dialogs.h"

namespace configtest {

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void writeText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

class UserFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sorvel-config-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    ASSERT_NE(made, nullptr);
    root_ = made;
    std::filesystem::create_directories(home());
    ::setenv("XDG_CONFIG_HOME", config().c_str(), 1);
    ::setenv("HOME", home().c_str(), 1);
    sorvel::Synth::forgetRememberedFolder();
  }

  void TearDown() override {
    testenv::privateUserFolders().restore();
    sorvel::Synth::forgetRememberedFolder();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  std::string config() const { return root_ + "/config"; }
  std::string home() const { return root_ + "/home"; }
  std::string file(const std::string& name) const { return root_ + "/" + name; }
  std::string iniPath() const { return config() + "/TarnwickMusic/sorvel.ini"; }
  std::string ini() const { return readText(iniPath()); }
  void writeIni(const std::string& text) const { writeText(iniPath(), text); }

  std::unique_ptr<sorvel::Sorvel> makeSorvel() {
    auto plug = std::make_unique<sorvel::Sorvel>(nullptr);
    plug->setDialogs(std::make_unique<testdialogs::ScriptedDialogs>(script));
    return plug;
  }

  std::shared_ptr<testdialogs::DialogScript> script = std::make_shared<testdialogs::DialogScript>();

 private:
  std::string root_;
};

}  // namespace configtest
