// Build-time generator: writes a C++ source holding the bytes of the given files and the table
// the plug-in looks its resources up in.
//
//   embed_resources OUTPUT.cpp (KEY NAME FILE)...
//
// KEY is a type name ("PROGDATA") or "#" and a number ("#101").
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Entry {
  std::string type;
  int number = -1;
  std::string name;
  std::vector<unsigned char> bytes;
};

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\%03o", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool parseNumber(const std::string& text, int& number) {
  if (text.size() < 2 || text.size() > 10) return false;
  number = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    number = number * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr, "usage: embed_resources OUTPUT.cpp (KEY NAME FILE)...\n");
    return 2;
  }
  std::vector<Entry> entries;
  for (int i = 2; i < argc; i += 3) {
    Entry entry;
    const std::string key = argv[i];
    if (key.empty()) {
      std::fprintf(stderr, "embed_resources: empty key\n");
      return 1;
    }
    if (key[0] == '#') {
      if (!parseNumber(key, entry.number)) {
        std::fprintf(stderr, "embed_resources: bad resource number %s\n", key.c_str());
        return 1;
      }
    } else {
      entry.type = key;
    }
    entry.name = argv[i + 1];
    std::ifstream in(argv[i + 2], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "embed_resources: cannot read %s\n", argv[i + 2]);
      return 1;
    }
    entry.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    entries.push_back(std::move(entry));
  }

  std::ostringstream out;
  out << "// Generated at build time by embed_resources. Do not edit.\n"
      << "#include \"platform/Resources.h\"\n\nnamespace sorvel {\n\nnamespace {\n\n";
  for (std::size_t e = 0; e < entries.size(); ++e) {
    out << "alignas(8) const std::uint8_t kData" << e << "[] = {";
    const auto& bytes = entries[e].bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (i % 24 == 0) out << "\n ";
      out << ' ' << static_cast<unsigned>(bytes[i]) << ',';
    }
    if (bytes.empty()) out << "0";
    out << "\n};\n\n";
  }
  out << "}  // namespace\n\nconst EmbeddedResource kEmbeddedResources[] = {\n";
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const Entry& entry = entries[e];
    out << "    {" << quoted(entry.type) << ", " << entry.number << ", " << quoted(entry.name) << ", kData" << e
        << ", " << entry.bytes.size() << "},\n";
  }
  if (entries.empty()) out << "    {\"\", -1, \"\", nullptr, 0},\n";
  out << "};\n\nconst std::size_t kEmbeddedResourceCount = " << entries.size() << ";\n\n}  // namespace sorvel\n";

  // Written only when it changed, so an unchanged bank does not rebuild the library.
  const std::string text = out.str();
  {
    std::ifstream old(argv[1], std::ios::binary);
    const std::string previous((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    if (old && previous == text) return 0;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    std::fprintf(stderr, "embed_resources: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
