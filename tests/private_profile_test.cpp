// The private-profile reader and writer: what a key reads as, what a write changes and keeps, and
// that the user's file survives every write, whatever it held.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>

#include "platform/PrivateProfile.h"
#include "tests/config_test_support.h"

using namespace sorvel;
using namespace configtest;

namespace {

class PrivateProfileTest : public UserFoldersTest {
 protected:
  std::string path() const { return file("test.ini"); }
  PrivateProfile profile() const { return PrivateProfile(path()); }
};

}  // namespace

TEST_F(PrivateProfileTest, ReadsKeysOfSectionsWithoutRegardToCase) {
  writeText(path(),
            "; a comment\n[Global]\nPath to Program Files = /music/my programs \nother=1\n"
            "[midi global]\nMIDI Thru=TRUE\nFormula=a=b\n[Global]\nother=2\n");
  const PrivateProfile p = profile();
  EXPECT_EQ(p.readString("Global", "Path to Program Files", "x", 258), "/music/my programs");
  EXPECT_EQ(p.readString("MIDI Global", "midi thru", "x", 63), "TRUE");
  EXPECT_EQ(p.readString("MIDI Global", "Formula", "x", 63), "a=b");
  // Of two sections with one name, the first counts.
  EXPECT_EQ(p.readString("Global", "other", "x", 63), "1");
  EXPECT_EQ(p.readString("Global", "missing", "-1", 63), "-1");
  EXPECT_EQ(p.readString("Nowhere", "other", "fallback", 63), "fallback");
  EXPECT_EQ(p.readString("Global", "Path to Program Files", "", 6), "/music");
}

TEST_F(PrivateProfileTest, KeysWithoutValuesAndLinesWithoutKeys) {
  writeText(path(), "[MIDI Control]\nCC1=\nCC2\n=5\n  ; CC3=4\nCC4 =  \r\n");
  const ProfileDocument d = profile().read();
  EXPECT_EQ(d.value("MIDI Control", "CC1"), std::optional<std::string>(""));
  EXPECT_EQ(d.value("MIDI Control", "CC2"), std::nullopt);
  EXPECT_EQ(d.value("MIDI Control", "CC3"), std::nullopt);
  EXPECT_EQ(d.value("MIDI Control", "CC4"), std::optional<std::string>(""));
  EXPECT_EQ(d.entries("MIDI Control").size(), 2u);
}

TEST_F(PrivateProfileTest, AWriteReplacesOrAddsOneKeyAndKeepsEverythingElse) {
  writeText(path(), "; kept comment\n[A]\nx=1\ny=2\n\n[B]\nz=3\n");
  PrivateProfile p = profile();
  ASSERT_TRUE(p.writeString("A", "Y", "20"));
  ASSERT_TRUE(p.writeString("A", "w", "4"));
  ASSERT_TRUE(p.writeString("C", "v", "5"));
  EXPECT_EQ(readText(path()), "; kept comment\n[A]\nx=1\nY=20\nw=4\n\n[B]\nz=3\n\n[C]\nv=5\n");
}

TEST_F(PrivateProfileTest, WritingASectionWithNoKeysLeavesItEmpty) {
  writeText(path(), "[MIDI Control]\nCC7=12\n; note\nCC8=13\n[Other]\nk=v\n");
  PrivateProfile p = profile();
  ASSERT_TRUE(p.writeSection("MIDI Control", {}));
  EXPECT_EQ(readText(path()), "[MIDI Control]\n; note\n[Other]\nk=v\n");
  ASSERT_TRUE(p.writeSection("Startup Bank", {}));
  EXPECT_TRUE(p.read().hasSection("Startup Bank"));
  EXPECT_TRUE(p.read().entries("Startup Bank").empty());
  ASSERT_TRUE(p.writeSection("MIDI Control", {{"CC1", "2"}, {"CC3", "4"}}));
  EXPECT_EQ(p.read().entries("MIDI Control"), (ProfileEntries{{"CC1", "2"}, {"CC3", "4"}}));
}

TEST_F(PrivateProfileTest, TextsALineCannotHoldAreRefusedAndNothingIsWritten) {
  writeText(path(), "[A]\nx=1\n");
  PrivateProfile p = profile();
  EXPECT_FALSE(p.writeString("A", "x", "two\nlines"));
  EXPECT_FALSE(p.writeString("A", "x=y", "1"));
  EXPECT_FALSE(p.writeString("A]", "x", "1"));
  EXPECT_FALSE(p.writeSection("A", {{"ok", "1"}, {"bad", "a\rb"}}));
  EXPECT_EQ(readText(path()), "[A]\nx=1\n");
}

TEST_F(PrivateProfileTest, AWriteCreatesAMissingFileButNoMissingFolder) {
  PrivateProfile p = profile();
  EXPECT_FALSE(p.exists());
  EXPECT_EQ(p.readString("A", "x", "none", 63), "none");
  ASSERT_TRUE(p.writeString("A", "x", "1"));
  EXPECT_EQ(readText(path()), "[A]\nx=1\n");
  PrivateProfile nowhere(file("no/such/folder/test.ini"));
  EXPECT_FALSE(nowhere.writeString("A", "x", "1"));
  EXPECT_FALSE(PrivateProfile("").writeString("A", "x", "1"));
}

TEST_F(PrivateProfileTest, InstancesWritingOneAfterTheOtherAllLand) {
  PrivateProfile first = profile();
  PrivateProfile second = profile();
  ASSERT_TRUE(first.writeString("MIDI Global", "MIDI Thru", "true"));
  ASSERT_TRUE(second.writeString("MIDI Global", "Ignore Program Change", "true"));
  ASSERT_TRUE(first.writeString("Global", "Path to Program Files", "/a"));
  ASSERT_TRUE(second.writeString("Global", "Path to Program Files", "/b"));
  const ProfileDocument d = first.read();
  EXPECT_EQ(d.value("MIDI Global", "MIDI Thru"), std::optional<std::string>("true"));
  EXPECT_EQ(d.value("MIDI Global", "Ignore Program Change"), std::optional<std::string>("true"));
  EXPECT_EQ(d.value("Global", "Path to Program Files"), std::optional<std::string>("/b"));
}

TEST_F(PrivateProfileTest, WritersOnSeveralThreadsLoseNoKey) {
  constexpr int kThreads = 4, kKeys = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      PrivateProfile p(path());
      for (int k = 0; k < kKeys; ++k) p.writeString("S" + std::to_string(t), "K" + std::to_string(k), std::to_string(k));
    });
  }
  for (auto& thread : threads) thread.join();
  const ProfileDocument d = profile().read();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(d.entries("S" + std::to_string(t)).size(), static_cast<std::size_t>(kKeys));
  std::size_t leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(file(""))) leftovers += entry.path().filename() != "test.ini";
  EXPECT_EQ(leftovers, 1u);  // the home folder only
}

TEST_F(PrivateProfileTest, AFileTooLargeToReadIsNeverReplaced) {
  {
    std::ofstream out(path(), std::ios::binary);
    out << "[A]\nx=1\n";
  }
  ASSERT_EQ(::truncate(path().c_str(), 65 * 1024 * 1024), 0);  // sparse
  PrivateProfile p = profile();
  EXPECT_EQ(p.readString("A", "x", "fallback", 63), "fallback");
  EXPECT_FALSE(p.writeString("A", "x", "2"));
  EXPECT_EQ(std::filesystem::file_size(path()), 65u * 1024u * 1024u);
  EXPECT_EQ(readText(path()).substr(0, 8), "[A]\nx=1\n");
}

TEST_F(PrivateProfileTest, AWriteThroughALinkChangesTheFileItNamesAndKeepsItsMode) {
  writeText(file("real.ini"), "[A]\nx=1\n");
  ::chmod(file("real.ini").c_str(), 0600);
  std::filesystem::create_symlink(file("real.ini"), path());
  ASSERT_TRUE(profile().writeString("A", "x", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(path()));
  EXPECT_EQ(readText(file("real.ini")), "[A]\nx=2\n");
  struct stat info {};
  ASSERT_EQ(::stat(file("real.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(PrivateProfileTest, JunkHugeLinesAndCarriageReturnsAreReadAndKept) {
  std::mt19937 random(7);
  std::string junk;
  for (int i = 0; i < 20000; ++i) junk += static_cast<char>(random() & 0xFF);
  const std::string hugeLine(2 * 1024 * 1024, 'v');
  writeText(path(), junk + "\n[A]\r\nx=1\r\nhuge=" + hugeLine + "\r\n[B]\n" + junk);
  PrivateProfile p = profile();
  EXPECT_EQ(p.readString("A", "x", "", 63), "1");
  EXPECT_EQ(p.readString("A", "huge", "", 63), std::string(63, 'v'));
  EXPECT_EQ(p.readString("A", "huge", "", 1u << 30).size(), hugeLine.size());
  ASSERT_TRUE(p.writeString("A", "x", "2"));
  const std::string after = readText(path());
  EXPECT_EQ(p.readString("A", "x", "", 63), "2");
  EXPECT_NE(after.find(hugeLine), std::string::npos);
  // Junk with no line break in it survives byte for byte.
  std::string lastJunkLine = junk.substr(junk.find_last_of('\n') + 1);
  if (!lastJunkLine.empty() && lastJunkLine.back() == '\r') lastJunkLine.pop_back();
  EXPECT_NE(after.find(lastJunkLine), std::string::npos);
}

TEST_F(PrivateProfileTest, RandomBytesNeverBreakTheReader) {
  std::mt19937 random(11);
  const char alphabet[] = "[]=;\n\r \tCCMIDI Control0123456789-\x01\xff";
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) {
      text += (random() % 4 == 0) ? static_cast<char>(random() & 0xFF) : alphabet[random() % (sizeof(alphabet) - 1)];
    }
    ProfileDocument d = ProfileDocument::parse(text);
    (void)d.value("MIDI Control", "CC7");
    ASSERT_TRUE(d.setValue("MIDI Control", "CC7", "12"));
    EXPECT_EQ(ProfileDocument::parse(d.text()).value("MIDI Control", "CC7"), std::optional<std::string>("12"));
    ASSERT_TRUE(d.replaceSection("MIDI Control", {}));
    EXPECT_TRUE(ProfileDocument::parse(d.text()).entries("MIDI Control").empty());
  }
}
