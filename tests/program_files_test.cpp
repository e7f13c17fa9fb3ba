// Program and bank files: both layouts written and read, foreign and damaged files refused.
#include <cmath>

#include "instrument/Sorvel.h"
#include "tests/file_test_support.h"

using namespace sorvel;
using namespace filetest;

namespace {

// Every parameter but the constant "Version" to a value of its own.
void scramble(IPlugBase& plug, unsigned seed) {
  for (int i = 1; i < plug.parameterCount(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    plug.parameter(i)->setNormalised(static_cast<double>(seed >> 8) / 16777216.0);
  }
}

std::vector<double> valuesOf(IPlugBase& plug) { return pictureOf(plug).values; }

// A program file in the parameter form, as another host would write it.
std::vector<float> normalisedPattern(int count, int seed) {
  std::vector<float> values;
  for (int i = 0; i < count; ++i) values.push_back(static_cast<float>(((i * 37 + seed * 11) % 101) / 100.0));
  return values;
}

Bytes withoutChunkHeader(Bytes file, std::size_t headerAt, std::size_t sizeField) {
  file.erase(file.begin() + static_cast<long>(headerAt), file.begin() + static_cast<long>(headerAt) + 8);
  setBigEndianAt(file, 4, bigEndianAt(file, 4) - 8);
  setBigEndianAt(file, sizeField, bigEndianAt(file, sizeField) - 8);
  return file;
}

}  // namespace

TEST(ProgramFile, WrittenInTheChunkLayoutAndReadBack) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  ASSERT_TRUE(a.recallProgram(7));
  scramble(a, 1);
  a.ModifyCurrentPreset("Round Trip");
  const std::string path = folder.file("round.fxp");
  ASSERT_TRUE(a.saveProgramFile(path));

  const Bytes file = readBytes(path);
  ASSERT_GT(file.size(), 60u + 8u + 20u + 235u * 8u);
  EXPECT_EQ(textAt(file, 0, 4), "CcnK");
  EXPECT_EQ(bigEndianAt(file, 4), static_cast<std::int32_t>(file.size()));
  EXPECT_EQ(textAt(file, 8, 4), "FPCh");
  EXPECT_EQ(bigEndianAt(file, 12), 1);
  EXPECT_EQ(textAt(file, 16, 4), "qm71");
  EXPECT_EQ(bigEndianAt(file, 20), kShownVersion);
  EXPECT_EQ(bigEndianAt(file, 24), kParameterCount);
  EXPECT_EQ(textAt(file, 28, 28), std::string("Round Trip") + std::string(18, '\0'));
  EXPECT_EQ(bigEndianAt(file, 56), static_cast<std::int32_t>(file.size() - 60));
  EXPECT_EQ(textAt(file, 60, 4), "tffp");
  EXPECT_EQ(littleEndianAt(file, 64), 0x00010000);
  EXPECT_EQ(textAt(file, 68, 12), "Sorvel_1.3.1");

  Sorvel b(nullptr);
  ASSERT_TRUE(b.loadProgramFile(path));
  EXPECT_EQ(valuesOf(b), valuesOf(a));
  EXPECT_EQ(b.programName(0), "Round Trip");
  EXPECT_EQ(b.currentProgram(), 0);
  ASSERT_TRUE(b.recallProgram(1));
  ASSERT_TRUE(b.recallProgram(0));  // the loaded program was stored, not only applied
  EXPECT_EQ(valuesOf(b), valuesOf(a));
}

TEST(ProgramFile, NamesAreBoundedBothWays) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  a.ModifyCurrentPreset("A name much longer than the twenty-eight bytes");
  ASSERT_TRUE(a.saveProgramFile(folder.file("long.fxp")));
  Bytes file = readBytes(folder.file("long.fxp"));
  EXPECT_EQ(textAt(file, 28, 28), std::string("A name much longer than the") + '\0');

  // A field with no terminating zero gives its 28 characters and no more.
  for (std::size_t i = 28; i < 56; ++i) file[i] = 'x';
  writeBytes(folder.file("unterminated.fxp"), file);
  Sorvel b(nullptr);
  ASSERT_TRUE(b.loadProgramFile(folder.file("unterminated.fxp")));
  EXPECT_EQ(b.programName(0), std::string(28, 'x'));
}

TEST(ProgramFile, ParameterFormAppliesNormalisedValues) {
  ScratchFolder folder;
  const auto normalised = normalisedPattern(kParameterCount, 3);
  writeBytes(folder.file("params.fxp"), parameterFormProgram("Floats", normalised, kParameterCount));
  Sorvel plug(nullptr);
  ASSERT_TRUE(plug.loadProgramFile(folder.file("params.fxp")));
  for (int i = 0; i < 235; ++i) {
    EXPECT_EQ(plug.parameter(i)->value(), plug.parameter(i)->fromNormalised(normalised[static_cast<std::size_t>(i)])) << i;
  }
  EXPECT_EQ(plug.programName(0), "Floats");

  // An empty name field keeps the program's name.
  writeBytes(folder.file("unnamed.fxp"), parameterFormProgram("", normalisedPattern(235, 4), 235));
  ASSERT_TRUE(plug.loadProgramFile(folder.file("unnamed.fxp")));
  EXPECT_EQ(plug.programName(0), "Floats");
}

TEST(ProgramFile, ChunkWithoutFrameworkHeaderIsReadFromItsFirstByte) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  scramble(a, 2);
  ASSERT_TRUE(a.saveProgramFile(folder.file("a.fxp")));
  writeBytes(folder.file("bare.fxp"), withoutChunkHeader(readBytes(folder.file("a.fxp")), 60, 56));
  Sorvel b(nullptr);
  ASSERT_TRUE(b.loadProgramFile(folder.file("bare.fxp")));
  EXPECT_EQ(valuesOf(b), valuesOf(a));
}

TEST(ProgramFile, RefusedWithoutAnyChange) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  scramble(a, 3);
  ASSERT_TRUE(a.saveProgramFile(folder.file("good.fxp")));
  const Bytes good = readBytes(folder.file("good.fxp"));

  struct Damage {
    const char* what;
    std::size_t offset;
    std::int32_t value;
  };
  const Damage damages[] = {{"another plug-in's identifier", 16, 0x41424344},
                            {"magic", 0, 0x43636E4C},
                            {"format version", 12, 2},
                            {"program kind", 8, 0x46784268}};
  Sorvel b(nullptr);
  scramble(b, 4);
  const PlugPicture before = pictureOf(b);
  for (const auto& damage : damages) {
    Bytes file = good;
    setBigEndianAt(file, damage.offset, damage.value);
    writeBytes(folder.file("bad.fxp"), file);
    EXPECT_FALSE(b.loadProgramFile(folder.file("bad.fxp"))) << damage.what;
    EXPECT_TRUE(pictureOf(b) == before) << damage.what;
  }
  EXPECT_FALSE(b.loadProgramFile(folder.file("missing.fxp")));
  EXPECT_FALSE(b.loadProgramFile(folder.path()));  // a folder
  EXPECT_FALSE(b.loadProgramFile(""));
  EXPECT_FALSE(b.loadProgramFile(folder.file("good.fxp") + std::string(1, '\0') + "x"));
  EXPECT_FALSE(b.loadProgramFile("/" + std::string(5000, 'a')));
  EXPECT_TRUE(pictureOf(b) == before);
}

TEST(ProgramFile, EveryTruncationIsRefusedAndKeepsTheOldState) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  scramble(a, 5);
  ASSERT_TRUE(a.saveProgramFile(folder.file("good.fxp")));
  const Bytes chunkForm = readBytes(folder.file("good.fxp"));
  const Bytes paramForm = parameterFormProgram("P", normalisedPattern(235, 5), 235);

  Sorvel b(nullptr);
  scramble(b, 6);
  const PlugPicture before = pictureOf(b);
  for (const Bytes* whole : {&chunkForm, &paramForm}) {
    for (std::size_t length = 0; length < whole->size(); length += (length < 80 ? 1 : 7)) {
      writeBytes(folder.file("cut.fxp"), Bytes(whole->begin(), whole->begin() + static_cast<long>(length)));
      EXPECT_FALSE(b.loadProgramFile(folder.file("cut.fxp"))) << length;
      ASSERT_TRUE(pictureOf(b) == before) << length;
    }
  }
  // The last byte is the last parameter's: nothing short of the whole file loads.
  writeBytes(folder.file("cut.fxp"), Bytes(chunkForm.begin(), chunkForm.end() - 1));
  EXPECT_FALSE(b.loadProgramFile(folder.file("cut.fxp")));
  EXPECT_TRUE(pictureOf(b) == before);
}

TEST(BankFile, WrittenInTheChunkLayoutAndReadBack) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  for (int p = 0; p < 64; p += 5) {
    ASSERT_TRUE(a.recallProgram(p));
    scramble(a, 100u + static_cast<unsigned>(p));
    a.ModifyCurrentPreset(("Bank " + std::to_string(p)).c_str());
  }
  ASSERT_TRUE(a.recallProgram(10));
  const std::string path = folder.file("bank.fxb");
  ASSERT_TRUE(a.saveBankFile(path));

  const Bytes file = readBytes(path);
  EXPECT_EQ(textAt(file, 0, 4), "CcnK");
  EXPECT_EQ(bigEndianAt(file, 4), static_cast<std::int32_t>(file.size()));
  EXPECT_EQ(textAt(file, 8, 4), "FBCh");
  EXPECT_EQ(bigEndianAt(file, 12), 2);
  EXPECT_EQ(textAt(file, 16, 4), "qm71");
  EXPECT_EQ(bigEndianAt(file, 20), kShownVersion);
  EXPECT_EQ(bigEndianAt(file, 24), 64);
  EXPECT_EQ(bigEndianAt(file, 28), 10);
  EXPECT_EQ(textAt(file, 32, 124), std::string(124, '\0'));
  EXPECT_EQ(bigEndianAt(file, 156), static_cast<std::int32_t>(file.size() - 160));
  EXPECT_EQ(textAt(file, 160, 4), "tffp");

  Sorvel b(nullptr);
  ASSERT_TRUE(b.loadBankFile(path));
  for (int p = 0; p < 64; ++p) {
    EXPECT_EQ(b.programName(p), a.programName(p)) << p;
    ASSERT_TRUE(a.recallProgram(p));
    ASSERT_TRUE(b.recallProgram(p));
    EXPECT_EQ(valuesOf(b), valuesOf(a)) << p;
  }
}

TEST(BankFile, AnyFormatVersionIsRead) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  a.ModifyCurrentPreset("Version Three");
  ASSERT_TRUE(a.saveBankFile(folder.file("a.fxb")));
  Bytes file = readBytes(folder.file("a.fxb"));
  setBigEndianAt(file, 12, 3);
  writeBytes(folder.file("v3.fxb"), file);
  Sorvel b(nullptr);
  ASSERT_TRUE(b.loadBankFile(folder.file("v3.fxb")));
  EXPECT_EQ(b.programName(0), "Version Three");
}

TEST(BankFile, ChunkWithoutFrameworkHeaderIsReadFromItsFirstByte) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  scramble(a, 7);
  a.ModifyCurrentPreset("Bare");
  ASSERT_TRUE(a.saveBankFile(folder.file("a.fxb")));
  writeBytes(folder.file("bare.fxb"), withoutChunkHeader(readBytes(folder.file("a.fxb")), 160, 156));
  Sorvel b(nullptr);
  ASSERT_TRUE(b.loadBankFile(folder.file("bare.fxb")));
  EXPECT_EQ(b.programName(0), "Bare");
  EXPECT_EQ(valuesOf(b), valuesOf(a));
}

TEST(BankFile, ParameterFormLoadsEachImageAndRecallsTheCurrentProgram) {
  ScratchFolder folder;
  Bytes file = parameterFormBankHeader(3, 2);  // three program images, current program 2
  for (int p = 0; p < 3; ++p) {
    const Bytes image = parameterFormProgram("Image " + std::to_string(p), normalisedPattern(235, 20 + p), 235);
    file.insert(file.end(), image.begin(), image.end());
  }
  writeBytes(folder.file("params.fxb"), file);

  Sorvel plug(nullptr);
  const std::string untouched = plug.programName(3);
  ASSERT_TRUE(plug.loadBankFile(folder.file("params.fxb")));
  EXPECT_EQ(plug.currentProgram(), 2);
  EXPECT_EQ(plug.programName(3), untouched);
  for (int p = 0; p < 3; ++p) {
    EXPECT_EQ(plug.programName(p), "Image " + std::to_string(p));
    ASSERT_TRUE(plug.recallProgram(p));
    const auto normalised = normalisedPattern(235, 20 + p);
    for (int i = 0; i < 235; ++i) {
      ASSERT_EQ(plug.parameter(i)->value(), plug.parameter(i)->fromNormalised(normalised[static_cast<std::size_t>(i)]))
          << p << " " << i;
    }
  }

  // An image with the wrong parameter count stops the load, and nothing of it stays.
  Bytes wrong = file;
  setBigEndianAt(wrong, 156 + 996 + 24, 234);
  writeBytes(folder.file("wrong.fxb"), wrong);
  Sorvel other(nullptr);
  const PlugPicture before = pictureOf(other);
  EXPECT_FALSE(other.loadBankFile(folder.file("wrong.fxb")));
  EXPECT_TRUE(pictureOf(other) == before);
}

TEST(BankFile, ForeignTruncatedOrUnknownBanksAreRefusedWithoutAnyChange) {
  ScratchFolder folder;
  Sorvel a(nullptr);
  scramble(a, 8);
  ASSERT_TRUE(a.saveBankFile(folder.file("good.fxb")));
  const Bytes good = readBytes(folder.file("good.fxb"));

  Sorvel b(nullptr);
  ASSERT_TRUE(b.recallProgram(9));
  scramble(b, 9);
  const PlugPicture before = pictureOf(b);

  Bytes foreign = good;
  setBigEndianAt(foreign, 16, 0x41424344);
  writeBytes(folder.file("bad.fxb"), foreign);
  EXPECT_FALSE(b.loadBankFile(folder.file("bad.fxb")));
  EXPECT_TRUE(pictureOf(b) == before);

  Bytes unknown = good;
  setBigEndianAt(unknown, 8, 0x46784368);
  writeBytes(folder.file("bad.fxb"), unknown);
  EXPECT_FALSE(b.loadBankFile(folder.file("bad.fxb")));
  EXPECT_TRUE(pictureOf(b) == before);

  // Cut inside the header, the first program, the middle and the last value.
  for (const std::size_t length : {std::size_t{0}, std::size_t{100}, std::size_t{163}, std::size_t{170},
                                   std::size_t{2000}, good.size() / 2, good.size() - 1}) {
    writeBytes(folder.file("cut.fxb"), Bytes(good.begin(), good.begin() + static_cast<long>(length)));
    EXPECT_FALSE(b.loadBankFile(folder.file("cut.fxb"))) << length;
    ASSERT_TRUE(pictureOf(b) == before) << length;
  }
}
