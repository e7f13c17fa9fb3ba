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

void putBigEndian(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((bits >> shift) & 0xFF);
}

// A bank file as hosts save one: the bank chunk behind the opaque-chunk bank header.
void writeHostBankFile(const std::string& path, const std::vector<unsigned char>& chunk, std::int32_t id,
                       std::int32_t version, std::int32_t programs) {
  std::string file = "CcnK";
  putBigEndian(file, static_cast<std::int32_t>(152 + chunk.size()));
  file += "FBCh";
  putBigEndian(file, 2);
  putBigEndian(file, id);
  putBigEndian(file, version);
  putBigEndian(file, programs);
  putBigEndian(file, 0);
  file += std::string(124, '\0');
  putBigEndian(file, static_cast<std::int32_t>(chunk.size()));
  file.append(chunk.begin(), chunk.end());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
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

TEST(ConfigurationHost, ABankFileNamedAsStartupBankIsWhereTheNextInstanceStarts) {
  const std::string bank = testhost::userSettingsFolder() + "/TarnwickMusic/host-saved.fxb";
  {
    PluginHost host;
    ASSERT_TRUE(host.loaded());
    host.dispatch(vst2::effSetProgram, 0, 5);
    char name[] = "Saved By The Host";
    host.dispatch(vst2::effSetProgramName, 0, 0, name);
    const std::vector<unsigned char> chunk = host.getChunk(false);
    ASSERT_FALSE(chunk.empty());
    writeHostBankFile(bank, chunk, host.effect()->uniqueID, host.effect()->version, host.effect()->numPrograms);
  }
  const std::string before = readAll(configurationFile());
  std::ofstream(configurationFile(), std::ios::app) << "[Startup Bank]\nFile=" << bank << "\n";
  {
    PluginHost host;
    ASSERT_TRUE(host.loaded());
    EXPECT_EQ(host.text(vst2::effGetProgramNameIndexed, 5), "Saved By The Host");
    EXPECT_EQ(host.text(vst2::effGetProgramNameIndexed, 6), "PRESET 16' S/H");
  }
  std::ofstream(configurationFile(), std::ios::binary | std::ios::trunc) << before;
  std::filesystem::remove(bank);
}
