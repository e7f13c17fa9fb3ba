// Build-time tool: turns the readable factory program source into the bank image the plug-in
// carries as its "PROGDATA"/"PROGINIT" resource.
//
//   make_factory_bank SOURCE.txt OUTPUT.fxb
//
// The source holds one block per program:
//
//   [Program Name]
//   # what the sound is about
//   Parameter Name = value
//
// Parameters not named keep their table defaults. A value is a display text where the parameter
// has them ("On", "16", "1 - Modulation Wheel"), else a number in the parameter's own units.
// Everything after '#' is a comment.
//
// The image: bank-file header (big-endian), the framework chunk header, then every program as
// its name, an initialised flag and its 235 parameter values in the older untagged layout, with
// "Version" stored as 1300.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dsp/ParameterTable.h"
#include "framework/ByteChunk.h"
#include "tools/TextNumbers.h"

namespace {

using sorvel::ByteChunk;
using sorvel::ParameterRow;

constexpr int kProgramCount = 64;
constexpr double kStoredVersion = 1300;
constexpr std::int32_t kFactoryPluginVersion = 10300;
constexpr std::uint32_t kChunkMagic = 0x70666674;  // "tffp" little-endian
constexpr std::uint32_t kChunkVersion = 0x00010000;

struct Program {
  std::string name;
  std::vector<double> values;
  int line = 0;
};

std::string unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

// The real value of text for the row: a display text first, then a number within the range.
bool valueFor(const ParameterRow& row, const std::string& text, double& value, std::string& error) {
  if (row.texts != nullptr) {
    const std::string wanted = unquote(text);
    for (std::size_t i = 0; i < row.texts->size(); ++i) {
      if ((*row.texts)[i] == wanted) {
        value = static_cast<double>(i);
        return true;
      }
    }
  }
  if (!tools::parseWholeNumber(text, value)) {
    error = "\"" + text + "\" is neither a display text nor a number";
    return false;
  }
  if (value < row.minimum || value > row.maximum) {
    error = "value " + text + " outside " + std::to_string(row.minimum) + " .. " + std::to_string(row.maximum);
    return false;
  }
  if (row.texts != nullptr && value != std::floor(value)) {
    error = "value " + text + " is not a whole list entry";
    return false;
  }
  return true;
}

std::vector<double> defaultValues() {
  std::vector<double> values;
  for (const auto& row : sorvel::parameterTable()) values.push_back(row.defaultValue);
  values[sorvel::kVersion] = kStoredVersion;
  return values;
}

bool readSource(const char* path, std::vector<Program>& programs) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "make_factory_bank: cannot read %s\n", path);
    return false;
  }
  std::map<std::string, int> indexByName;
  const auto& table = sorvel::parameterTable();
  for (std::size_t i = 0; i < table.size(); ++i) indexByName[table[i].name] = static_cast<int>(i);

  bool ok = true;
  std::string raw;
  int lineNumber = 0;
  auto fail = [&](const std::string& message) {
    std::fprintf(stderr, "%s:%d: %s\n", path, lineNumber, message.c_str());
    ok = false;
  };
  while (std::getline(in, raw)) {
    ++lineNumber;
    const std::string line = tools::trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) {
        fail("a program header is [Name]");
        continue;
      }
      Program program;
      program.name = line.substr(1, line.size() - 2);
      program.values = defaultValues();
      program.line = lineNumber;
      for (const auto& other : programs) {
        if (other.name == program.name) fail("program \"" + program.name + "\" appears twice");
      }
      programs.push_back(std::move(program));
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string::npos) {
      fail("expected Parameter Name = value");
      continue;
    }
    if (programs.empty()) {
      fail("a parameter before the first [Program Name]");
      continue;
    }
    const std::string name = tools::trim(line.substr(0, equals));
    const std::string text = tools::trim(line.substr(equals + 1));
    const auto found = indexByName.find(name);
    if (found == indexByName.end() || found->second == 0) {
      fail("no settable parameter named \"" + name + "\"");
      continue;
    }
    double value = 0;
    std::string error;
    if (!valueFor(table[static_cast<std::size_t>(found->second)], text, value, error)) {
      fail(name + ": " + error);
      continue;
    }
    programs.back().values[static_cast<std::size_t>(found->second)] = value;
  }
  if (ok && static_cast<int>(programs.size()) != kProgramCount) {
    std::fprintf(stderr, "%s: %d programs, the bank holds %d\n", path, static_cast<int>(programs.size()),
                 kProgramCount);
    ok = false;
  }
  return ok;
}

void putBigEndian(ByteChunk& chunk, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                 static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  chunk.putBytes(bytes, 4);
}

void putCode(ByteChunk& chunk, const char (&code)[5]) { chunk.putBytes(code, 4); }

ByteChunk bankImage(const std::vector<Program>& programs) {
  ByteChunk list;
  list.put(kChunkMagic);
  list.put(kChunkVersion);
  for (const auto& program : programs) {
    list.putString(program.name);
    const std::uint8_t initialised = 1;
    list.put(initialised);
    for (const double v : program.values) list.put(v);
  }

  constexpr int kHeaderSize = 160;
  ByteChunk image;
  putCode(image, "CcnK");
  putBigEndian(image, list.size() + kHeaderSize);
  putCode(image, "FBCh");
  putBigEndian(image, 2);
  putCode(image, "qm71");
  putBigEndian(image, kFactoryPluginVersion);
  putBigEndian(image, static_cast<std::int32_t>(programs.size()));
  putBigEndian(image, 0);
  const std::uint8_t reserved[124] = {};
  image.putBytes(reserved, sizeof reserved);
  putBigEndian(image, list.size());
  image.putChunk(list);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_factory_bank SOURCE.txt OUTPUT.fxb\n");
    return 2;
  }
  std::vector<Program> programs;
  if (!readSource(argv[1], programs)) return 1;
  const ByteChunk image = bankImage(programs);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), image.size());
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_factory_bank: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
