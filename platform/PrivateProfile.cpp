#include "platform/PrivateProfile.h"

#include <cstdint>

#include "platform/FileStore.h"

namespace sorvel {

namespace {

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A key line: "key=value" with a non-empty key; comments start with ';'.
bool splitKeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
  line = trimmed(line);
  if (line.empty() || line.front() == ';' || line.front() == '[') return false;
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  key = trimmed(line.substr(0, equals));
  value = trimmed(line.substr(equals + 1));
  return !key.empty();
}

bool holdsLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos;
}

bool isUsableName(std::string_view name, std::string_view forbidden) {
  return !name.empty() && name == trimmed(name) && !holdsLineBreak(name) &&
         name.find_first_of(forbidden) == std::string_view::npos;
}

bool isUsableKey(std::string_view key) { return isUsableName(key, "=[;") && key.front() != ';'; }
bool isUsableSection(std::string_view section) { return isUsableName(section, "]"); }
bool isUsableValue(std::string_view value) { return !holdsLineBreak(value); }

// Where new keys go: after the section's last line that is not blank.
std::size_t insertionPoint(const std::vector<std::string>& lines) {
  std::size_t end = lines.size();
  while (end > 0 && trimmed(lines[end - 1]).empty()) --end;
  return end;
}

std::string keyLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  return line;
}

}  // namespace

ProfileDocument ProfileDocument::parse(std::string_view text) {
  ProfileDocument document;
  std::vector<std::string>* lines = &document.preamble_;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    const std::string_view content = trimmed(line);
    if (!content.empty() && content.front() == '[') {
      auto close = content.find(']');
      if (close == std::string_view::npos) close = content.size();
      document.sections_.push_back({std::string(trimmed(content.substr(1, close - 1))), {}});
      lines = &document.sections_.back().lines;
      continue;
    }
    lines->emplace_back(line);
  }
  return document;
}

std::string ProfileDocument::text() const {
  std::string out;
  for (const auto& line : preamble_) (out += line) += '\n';
  for (const auto& section : sections_) {
    ((out += '[') += section.name) += "]\n";
    for (const auto& line : section.lines) (out += line) += '\n';
  }
  return out;
}

ProfileDocument::Section* ProfileDocument::find(std::string_view section) {
  for (auto& s : sections_) {
    if (sameName(s.name, section)) return &s;
  }
  return nullptr;
}

const ProfileDocument::Section* ProfileDocument::find(std::string_view section) const {
  return const_cast<ProfileDocument*>(this)->find(section);
}

ProfileDocument::Section& ProfileDocument::findOrAdd(std::string_view section) {
  if (Section* s = find(section)) return *s;
  // A blank line between the last content and the new section.
  std::vector<std::string>& last = sections_.empty() ? preamble_ : sections_.back().lines;
  if (!last.empty() && !trimmed(last.back()).empty()) last.emplace_back();
  sections_.push_back({std::string(section), {}});
  return sections_.back();
}

std::optional<std::string> ProfileDocument::value(std::string_view section, std::string_view key) const {
  const Section* s = find(section);
  if (s == nullptr) return std::nullopt;
  for (const auto& line : s->lines) {
    std::string_view k, v;
    if (splitKeyLine(line, k, v) && sameName(k, key)) return std::string(v);
  }
  return std::nullopt;
}

std::string ProfileDocument::valueOr(std::string_view section, std::string_view key, const std::string& fallback,
                                     std::size_t maxLength) const {
  std::string text = value(section, key).value_or(fallback);
  if (text.size() > maxLength) text.resize(maxLength);
  return text;
}

bool ProfileDocument::hasSection(std::string_view section) const { return find(section) != nullptr; }

ProfileEntries ProfileDocument::entries(std::string_view section) const {
  ProfileEntries result;
  const Section* s = find(section);
  if (s == nullptr) return result;
  for (const auto& line : s->lines) {
    std::string_view k, v;
    if (splitKeyLine(line, k, v)) result.emplace_back(std::string(k), std::string(v));
  }
  return result;
}

bool ProfileDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
  if (!isUsableSection(section) || !isUsableKey(key) || !isUsableValue(value)) return false;
  Section& s = findOrAdd(section);
  for (auto& line : s.lines) {
    std::string_view k, v;
    if (splitKeyLine(line, k, v) && sameName(k, key)) {
      line = keyLine(key, value);
      return true;
    }
  }
  s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(insertionPoint(s.lines)), keyLine(key, value));
  return true;
}

bool ProfileDocument::replaceSection(std::string_view section, const ProfileEntries& entries) {
  if (!isUsableSection(section)) return false;
  for (const auto& [key, value] : entries) {
    if (!isUsableKey(key) || !isUsableValue(value)) return false;
  }
  Section& s = findOrAdd(section);
  std::vector<std::string> kept;
  for (auto& line : s.lines) {
    std::string_view k, v;
    if (!splitKeyLine(line, k, v)) kept.push_back(std::move(line));
  }
  std::vector<std::string> added;
  for (const auto& [key, value] : entries) added.push_back(keyLine(key, value));
  kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(insertionPoint(kept)), added.begin(), added.end());
  s.lines = std::move(kept);
  return true;
}

ProfileDocument PrivateProfile::read() const {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(path_, bytes)) return {};
  return ProfileDocument::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string PrivateProfile::readString(std::string_view section, std::string_view key, const std::string& fallback,
                                       std::size_t maxLength) const {
  return read().valueOr(section, key, fallback, maxLength);
}

bool PrivateProfile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  bool accepted = false;
  const bool written = update([&](ProfileDocument& document) {
    accepted = document.setValue(section, key, value);
    return accepted;
  });
  return written && accepted;
}

bool PrivateProfile::writeSection(std::string_view section, const ProfileEntries& entries) {
  bool accepted = false;
  const bool written = update([&](ProfileDocument& document) {
    accepted = document.replaceSection(section, entries);
    return accepted;
  });
  return written && accepted;
}

}  // namespace sorvel
