// Thousands of damaged program and bank files: each load either reports failure and changes
// nothing, or succeeds with every parameter a finite value within its range.
#include <climits>
#include <cmath>
#include <random>

#include "instrument/Sorvel.h"
#include "tests/file_test_support.h"

using namespace sorvel;
using namespace filetest;

namespace {

Bytes mutate(const Bytes& original, std::mt19937& random) {
  Bytes bytes = original;
  auto below = [&](std::size_t n) { return n == 0 ? std::size_t{0} : static_cast<std::size_t>(random() % n); };
  const int operations = 1 + static_cast<int>(random() % 3);
  for (int op = 0; op < operations; ++op) {
    switch (random() % 6) {
      case 0:  // a few flipped bits
        for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n && !bytes.empty(); ++i) {
          bytes[below(bytes.size())] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        }
        break;
      case 1: {  // a header or length field set to an extreme
        static const std::int32_t extremes[] = {0, -1, 1, INT_MAX, INT_MIN, 0x7FFFFFF0, 235, 64, 1000000, -235};
        if (bytes.size() < 4) break;
        const std::size_t limit = std::min<std::size_t>(bytes.size() - 3, random() % 2 ? 260 : bytes.size() - 3);
        const std::size_t at = below(limit);
        const std::int32_t value = extremes[random() % std::size(extremes)];
        if (random() % 2) {
          setBigEndianAt(bytes, at, value);
        } else {
          std::memcpy(bytes.data() + at, &value, 4);
        }
        break;
      }
      case 2:  // cut short
        bytes.resize(below(bytes.size() + 1));
        break;
      case 3:  // garbage appended
        for (int i = 0, n = static_cast<int>(random() % 64); i < n; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
        break;
      case 4: {  // a run of random bytes
        if (bytes.empty()) break;
        const std::size_t at = below(bytes.size());
        const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + random() % 32);
        for (std::size_t i = 0; i < n; ++i) bytes[at + i] = static_cast<std::uint8_t>(random());
        break;
      }
      default: {  // a stored value that is not a number, or infinite
        if (bytes.size() < 8) break;
        const double special = random() % 2 ? std::nan("") : -INFINITY;
        std::memcpy(bytes.data() + below(bytes.size() - 7), &special, 8);
        break;
      }
    }
  }
  return bytes;
}

void expectSane(IPlugBase& plug) {
  for (int i = 0; i < plug.parameterCount(); ++i) {
    const IParam* p = plug.parameter(i);
    ASSERT_TRUE(std::isfinite(p->value())) << i;
    ASSERT_GE(p->value(), p->minimum()) << i;
    ASSERT_LE(p->value(), p->maximum()) << i;
  }
  ASSERT_GE(plug.currentProgram(), 0);
  ASSERT_LT(plug.currentProgram(), plug.programCount());
}

Bytes parameterFormBank(int programs) {
  Bytes file = parameterFormBankHeader(programs, 1);
  for (int p = 0; p < programs; ++p) {
    std::vector<float> values;
    for (int i = 0; i < 235; ++i) values.push_back(static_cast<float>((i + p) % 10) / 9.0f);
    const Bytes image = parameterFormProgram("Image " + std::to_string(p), values, kParameterCount);
    file.insert(file.end(), image.begin(), image.end());
  }
  return file;
}

struct Outcome {
  int loaded = 0;
  int refused = 0;
};

Outcome fuzz(const Bytes& original, bool bank, int rounds, unsigned seed) {
  ScratchFolder folder;
  const std::string path = folder.file(bank ? "mutated.fxb" : "mutated.fxp");
  std::mt19937 random(seed);
  Sorvel plug(nullptr);
  Outcome outcome;
  for (int round = 0; round < rounds; ++round) {
    writeBytes(path, mutate(original, random));
    const PlugPicture before = pictureOf(plug);
    if (bank ? plug.loadBankFile(path) : plug.loadProgramFile(path)) {
      ++outcome.loaded;
      expectSane(plug);
    } else {
      ++outcome.refused;
      EXPECT_TRUE(pictureOf(plug) == before) << "round " << round;
    }
    if (::testing::Test::HasFatalFailure()) break;
  }
  return outcome;
}

}  // namespace

TEST(DamagedFiles, ChunkFormProgramFiles) {
  ScratchFolder folder;
  Sorvel source(nullptr);
  ASSERT_TRUE(source.saveProgramFile(folder.file("p.fxp")));
  const Outcome outcome = fuzz(readBytes(folder.file("p.fxp")), false, 1500, 11);
  EXPECT_GT(outcome.loaded, 0);
  EXPECT_GT(outcome.refused, 0);
}

TEST(DamagedFiles, ParameterFormProgramFiles) {
  const Bytes bank = parameterFormBank(1);
  const Bytes program(bank.begin() + 156, bank.end());
  const Outcome outcome = fuzz(program, false, 1000, 12);
  EXPECT_GT(outcome.loaded, 0);
  EXPECT_GT(outcome.refused, 0);
}

TEST(DamagedFiles, ChunkFormBankFiles) {
  ScratchFolder folder;
  Sorvel source(nullptr);
  ASSERT_TRUE(source.saveBankFile(folder.file("b.fxb")));
  const Outcome outcome = fuzz(readBytes(folder.file("b.fxb")), true, 500, 13);
  EXPECT_GT(outcome.loaded, 0);
  EXPECT_GT(outcome.refused, 0);
}

TEST(DamagedFiles, ParameterFormBankFiles) {
  const Outcome outcome = fuzz(parameterFormBank(4), true, 500, 14);
  EXPECT_GT(outcome.loaded, 0);
  EXPECT_GT(outcome.refused, 0);
}
