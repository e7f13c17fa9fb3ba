#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/tools/tool_test_support.h"

namespace {

using namespace tooltest;

constexpr int kPpq = 480;
const std::string kSawProgram = "PRESET 8' Saw";

class RenderTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "sorvel-render-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    // The plug-in starts from its factory bank, whatever the user running the tests has set.
    fs::create_directories(folder_ / "config");
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(folder_); }

  ProcessResult render(std::vector<std::string> args) { return run(SORVEL_RENDER_PATH, args, folder_); }

  // One note of a beat at 120 beats per minute: on at 0.5 s, off at 1.0 s; the file ends at 1.0 s.
  fs::path oneNote(int channel = 0, int key = 69) {
    MidiFileBuilder midi(0, kPpq);
    midi.track();
    midi.note(kPpq, kPpq, channel, key);
    midi.endTrack(2 * kPpq);
    const fs::path path = folder_ / "one-note.mid";
    midi.save(path);
    return path;
  }

  // Only the expected files remain: nothing half-written beside them.
  std::vector<std::string> wavFilesLeft() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".wav") != std::string::npos) names.push_back(name);
    }
    return names;
  }

  fs::path folder_;
};

TEST_F(RenderTool, RendersTheNoteAtItsTimeWithTheRequestedFormat) {
  const fs::path out = folder_ / "out.wav";
  const auto result = render({"--program", kSawProgram, "--rate", "48000", "--tail", "0.25", oneNote().string(), out.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;

  const Wav wav = readWav(out);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.sampleRate, 48000);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
  // End of the file's last event plus the tail, to the frame (the tail is shorter than the
  // silence that would end it early).
  EXPECT_EQ(wav.frames(), 48000 + 12000);
  EXPECT_EQ(wav.peak(0, 24000), 0.0) << "sound before the first note";
  // The note starts at the plug-in's next control tick, well within a millisecond or two.
  const std::int64_t onset = wav.firstSoundingFrame();
  EXPECT_GE(onset, 24000);
  EXPECT_LT(onset, 24000 + 200);
  EXPECT_GT(wav.peak(30000, 48000), 0.05);
}

TEST_F(RenderTool, FollowsTempoChangesAcrossTracksAndPlaysEveryChannel) {
  // Format 1: tempo 120 for two beats (1 s), then 60. Notes at beat 3 (2 s) on channel 10 and
  // at beat 4 (3 s) on channel 16.
  MidiFileBuilder midi(1, kPpq);
  midi.track();
  midi.tempo(0, 120);
  midi.tempo(2 * kPpq, 60);
  midi.endTrack(5 * kPpq);
  midi.track();
  midi.note(3 * kPpq, kPpq / 2, 9, 60);
  midi.note(4 * kPpq, kPpq / 2, 15, 64);
  midi.endTrack(5 * kPpq);
  const fs::path in = folder_ / "tempo.mid";
  midi.save(in);

  const fs::path out = folder_ / "tempo.wav";
  const auto result = render({"--program", kSawProgram, "--tail", "0", in.string(), out.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const Wav wav = readWav(out);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.frames(), 4 * 44100);  // beat 5 falls at 4 s
  const std::int64_t onset = wav.firstSoundingFrame();
  EXPECT_GE(onset, 2 * 44100);
  EXPECT_LT(onset, 2 * 44100 + 200);
  EXPECT_GT(wav.peak(2 * 44100 + 2000, 2 * 44100 + 20000), 0.05);
  EXPECT_GT(wav.peak(3 * 44100 + 2000, 3 * 44100 + 20000), 0.05);

  // Only channel 16 chosen: the first note is gone.
  const auto single = render({"--program", kSawProgram, "--tail", "0", "--channel", "16", in.string(), out.string()});
  ASSERT_EQ(single.exitCode, 0) << single.err;
  const Wav channel16 = readWav(out);
  EXPECT_GE(channel16.firstSoundingFrame(), 3 * 44100);
}

TEST_F(RenderTool, TheSameInputRendersToTheSameBytesInBothPrecisions) {
  const fs::path in = oneNote();
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, std::vector<std::string>{"--float", "--format", "float", "--block", "100"}}) {
    std::vector<std::string> first = options;
    first.insert(first.end(), {"--program", "Fat Sorvel", in.string(), (folder_ / "a.wav").string()});
    std::vector<std::string> second = options;
    second.insert(second.end(), {"--program", "Fat Sorvel", in.string(), (folder_ / "b.wav").string()});
    ASSERT_EQ(render(first).exitCode, 0);
    ASSERT_EQ(render(second).exitCode, 0);
    const std::string a = readText(folder_ / "a.wav");
    EXPECT_GT(a.size(), 44u * 1000);
    EXPECT_TRUE(a == readText(folder_ / "b.wav"));
  }
  EXPECT_EQ(readWav(folder_ / "a.wav").format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
}

TEST_F(RenderTool, TheTailEndsOnceTheOutputHasBeenSilentForHalfASecond) {
  const fs::path out = folder_ / "tail.wav";
  const auto result = render({"--program", kSawProgram, "--tail", "30", oneNote().string(), out.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const Wav wav = readWav(out);
  ASSERT_TRUE(wav.ok);
  EXPECT_GE(wav.frames(), 44100 + 22050);
  EXPECT_LT(wav.frames(), 44100 + 10 * 44100);
  EXPECT_LT(wav.peak(wav.frames() - 22050, wav.frames()), 1.0e-5);
}

TEST_F(RenderTool, ParametersProgramsAndBanksAreApplied) {
  const fs::path in = oneNote();
  auto peakWith = [&](std::vector<std::string> options) {
    options.insert(options.end(), {in.string(), (folder_ / "p.wav").string()});
    const auto result = render(options);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return readWav(folder_ / "p.wav").peak(0, 2 * 44100);
  };
  const double loud = peakWith({"--program", kSawProgram});
  EXPECT_GT(loud, 0.05);
  EXPECT_LT(peakWith({"--program", kSawProgram, "--set", "Volume=0.1"}), loud * 0.5);
  EXPECT_EQ(peakWith({"--program", kSawProgram, "--set", "8' Saw=Off"}), 0.0);
  EXPECT_EQ(peakWith({"--program", "Init"}), 0.0);
  // The factory bank file loaded first changes nothing; a program number picks the same program.
  const auto list = render({"--list-programs"});
  const auto at = list.out.find(kSawProgram);
  ASSERT_NE(at, std::string::npos);
  const std::string number = std::to_string(std::stoi(list.out.substr(list.out.rfind('\n', at) + 1)));
  EXPECT_EQ(peakWith({"--fxb", SORVEL_FACTORY_BANK_PATH, "--program", number}), loud);
}

TEST_F(RenderTool, ListsProgramsAndParameters) {
  const auto programs = render({"--list-programs"});
  ASSERT_EQ(programs.exitCode, 0) << programs.err;
  EXPECT_EQ(std::count(programs.out.begin(), programs.out.end(), '\n'), 64);
  EXPECT_EQ(programs.out.rfind("  0  Fat Sorvel\n", 0), 0u);

  const auto parameters = render({"--list-parameters"});
  ASSERT_EQ(parameters.exitCode, 0) << parameters.err;
  EXPECT_EQ(std::count(parameters.out.begin(), parameters.out.end(), '\n'), 235);
  EXPECT_NE(parameters.out.find("Voices"), std::string::npos);
  EXPECT_NE(parameters.out.find("range 1 .. 64"), std::string::npos);
  EXPECT_NE(parameters.out.find("one of Off | On"), std::string::npos);
}

TEST_F(RenderTool, BadInputGivesOneLineErrorsExitCodesAndNoOutput) {
  const std::string in = oneNote().string();
  const std::string out = (folder_ / "never.wav").string();
  fs::path notMidi = folder_ / "notes.txt";
  std::ofstream(notMidi) << "these are not notes\n";
  fs::path damaged = folder_ / "damaged.mid";
  std::ofstream(damaged) << "MThd but nothing else";
  auto midi = [](const char* name) { return std::string(SORVEL_TEST_MIDI_DIR) + "/" + name; };
  fs::path longSong = folder_ / "long.mid";
  {
    MidiFileBuilder song(0);
    song.track();
    song.note(0, 480 * 2 * 60 * 61, 0, 60);  // 61 minutes at 120 beats a minute
    song.endTrack(480 * 2 * 60 * 61);
    song.save(longSong);
  }
  fs::path wrongPlugin = folder_ / "program.fxp";
  {
    // A program file of another plug-in.
    std::vector<char> bytes(60, 0);
    std::string header = "CcnK\0\0\0\0FxCk\0\0\0\1abcd";
    std::copy(header.begin(), header.end(), bytes.begin());
    std::ofstream(wrongPlugin, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{(folder_ / "missing.mid").string(), out}, 1, "cannot read"},
      {{notMidi.string(), out}, 1, "is not a Standard MIDI File"},
      {{damaged.string(), out}, 1, "is not a Standard MIDI File"},
      // Chunk lengths past the end of the file, and a delta time longer than the format allows.
      {{midi("midi-overread.mid"), out}, 1, "is not a Standard MIDI File"},
      {{midi("midi-abort.mid"), out}, 1, "is not a Standard MIDI File"},
      {{midi("midi-endless.mid"), out}, 1, "is not a Standard MIDI File"},
      {{"--max-minutes", "1", longSong.string(), out}, 1, "--max-minutes"},
      {{"--program", "No Such Program", in, out}, 1, "no program is named"},
      {{"--program", "64", in, out}, 1, "out of range"},
      {{"--set", "Loudness=1", in, out}, 1, "no parameter is named"},
      {{"--set", "Volume=1.5", in, out}, 1, "out of range"},
      {{"--set", "Volume=loud", in, out}, 1, "takes a number"},
      {{"--set", "Porta=Maybe", in, out}, 1, "has no value"},
      {{"--fxp", wrongPlugin.string(), in, out}, 1, "another plug-in"},
      {{"--fxb", (folder_ / "missing.fxb").string(), in, out}, 1, "cannot read"},
      {{"--plugin", (folder_ / "missing.so").string(), in, out}, 3, "cannot load plug-in"},
      {{"--plugin", SORVEL_NOT_AN_INSTRUMENT_PATH, in, out}, 3, "is not an instrument"},
      {{in, (folder_ / "no-such-folder" / "out.wav").string()}, 4, "cannot create"},
      {{in}, 2, "expected INPUT.mid and OUTPUT.wav"},
      {{"--rate", "fast", in, out}, 2, "--rate needs a number"},
      {{"--bogus", in, out}, 2, "unknown option"},
      {{in, in}, 2, "replace the input"},
  };
  for (const Case& c : cases) {
    const auto result = render(c.args);
    const std::string line = result.err.substr(0, result.err.find('\n'));
    EXPECT_EQ(result.exitCode, c.exitCode) << line;
    EXPECT_NE(line.find(c.message), std::string::npos) << line;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(wavFilesLeft().empty()) << c.message;
  }
  EXPECT_TRUE(fs::exists(in));
}

TEST_F(RenderTool, AnInterruptedRenderLeavesNoFileBehind) {
  // A held note and ten minutes of song: far longer than the interruption lets it run.
  MidiFileBuilder midi(0, kPpq);
  midi.track();
  midi.note(0, 1200 * kPpq, 0, 57);
  midi.endTrack(1200 * kPpq);
  const fs::path in = folder_ / "long.mid";
  midi.save(in);
  const auto result = run(SORVEL_RENDER_PATH, {"--program", kSawProgram, in.string(), (folder_ / "long.wav").string()},
                          folder_, SIGINT, [&] { return wavFilesLeft().size() == 1; });  // rendering has begun
  EXPECT_EQ(result.exitCode, 130) << result.err;
  EXPECT_NE(result.err.find("interrupted"), std::string::npos);
  EXPECT_TRUE(wavFilesLeft().empty());
}

TEST_F(RenderTool, TheDemoComposerReproducesTheCommittedPiece) {
  const fs::path composed = folder_ / "demo.mid";
  const auto result = run(SORVEL_DEMO_COMPOSER_PATH, {composed.string()}, folder_);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(readText(composed), readText(SORVEL_DEMO_MIDI_PATH));
}

}  // namespace
