// The user's settings as a host sees them: an instance keeps its configuration in the user's
// settings folder, and a setting written there shapes the next instance.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/host/PluginHost.h"

using testhost::PluginHost;

namespace {

std::string configurationFile() { return testhost::settingsFile(); }

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(ConfigurationHost, AnInstanceKeepsItsSettingsInTheUsersFolder) {
  ASSERT_FALSE(testhost::userSettingsFolder().empty());
  PluginHost host;
  ASSERT_TRUE(host.loaded());
  const std::string text = readAll(configurationFile());
  EXPECT_NE(text.find("[Preset Defaults]\n"), std::string::npos);
  EXPECT_NE(text.find("\n8' SAW P5 Gain=0.355\n"), std::string::npos);
  EXPECT_NE(text.find("\n4' HAMMERED PERC P19 EnvR=0.245\n"), std::string::npos);
}

TEST(ConfigurationHost, MidiThruFromTheFileForwardsEveryMessage) {
  {
    PluginHost first;  // makes sure the file exists
  }
  const std::string before = readAll(configurationFile());
  std::ofstream(configurationFile(), std::ios::app) << "[MIDI Global]\nMIDI Thru=true\n";
  {
    PluginHost host;
    ASSERT_TRUE(host.loaded());
    host.start();
    host.sendMidi(3, 0x90, 60, 100);
    ASSERT_EQ(host.midiOut.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(host.midiOut[0].midiData[1]), 60);
  }
  // Later tests in this process get the settings they had.
  std::ofstream(configurationFile(), std::ios::binary | std::ios::trunc) << before;
}
