// Private-profile (INI) files: sections in square brackets, one "key=value" line per key.
// Section and key names compare without regard to case; of duplicates the first counts. Lines
// that are neither (comments, junk) are kept as they are, so a write never loses the rest of the
// user's file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorvel {

using ProfileEntries = std::vector<std::pair<std::string, std::string>>;

class ProfileDocument {
 public:
  static ProfileDocument parse(std::string_view text);
  std::string text() const;

  // The value of a key without the blanks around it; nothing when the section or key is missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // The key's value cut to maxLength characters, or fallback when the key is missing.
  std::string valueOr(std::string_view section, std::string_view key, const std::string& fallback,
                      std::size_t maxLength) const;
  bool hasSection(std::string_view section) const;
  ProfileEntries entries(std::string_view section) const;

  // Replaces the key's value or adds the key (and the section) at the end. False for names or
  // values that a line cannot hold (line breaks, a '=' or ']' in a name).
  bool setValue(std::string_view section, std::string_view key, std::string_view value);
  // Removes every key of the section, then adds the entries; an empty list leaves the section
  // with no keys.
  bool replaceSection(std::string_view section, const ProfileEntries& entries);

 private:
  struct Section {
    std::string name;
    std::vector<std::string> lines;
  };

  Section* find(std::string_view section);
  const Section* find(std::string_view section) const;
  Section& findOrAdd(std::string_view section);

  std::vector<std::string> preamble_;
  std::vector<Section> sections_;
};

// One profile file on disk. Every read looks at the file afresh; every write re-reads it first and
// replaces it whole through a temporary file, so instances writing one after the other all land
// (the last writer wins per key) and a failed write leaves the old file intact.
class PrivateProfile {
 public:
  explicit PrivateProfile(std::string path = {}) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }
  bool exists() const;

  // An absent or unreadable file reads as an empty document.
  ProfileDocument read() const;
  // The key's value cut to maxLength characters, or fallback when the key is missing.
  std::string readString(std::string_view section, std::string_view key, const std::string& fallback,
                         std::size_t maxLength) const;

  // Applies change to the current content and writes the result, unless change returns false.
  // False when the file could not be read (other than being absent) or written.
  bool update(const std::function<bool(ProfileDocument&)>& change);
  bool writeString(std::string_view section, std::string_view key, std::string_view value);
  bool writeSection(std::string_view section, const ProfileEntries& entries);

 private:
  std::string path_;
};

}  // namespace sorvel
