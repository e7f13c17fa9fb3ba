#include "platform/UserFolders.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "platform/FileStore.h"

namespace sorvel {

namespace {

std::string environment(const char* name) {
  const char* value = ::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string userHomeFolder() {
  std::string home = environment("HOME");
  if (!home.empty() && home.front() == '/') return withoutTrailingSlash(home);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return withoutTrailingSlash(found->pw_dir);
  }
  return {};
}

std::string userConfigurationFolder() {
  const std::string configured = environment("XDG_CONFIG_HOME");
  // Relative paths are invalid here and ignored.
  if (!configured.empty() && configured.front() == '/') return withoutTrailingSlash(configured);
  const std::string home = userHomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

std::string documentsDirFromUserDirs(const std::string& text, const std::string& home) {
  const std::string key = "XDG_DOCUMENTS_DIR=";
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line.compare(first, key.size(), key) != 0) continue;
    std::string value = line.substr(first + key.size());
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.pop_back();
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return {};
    value = value.substr(1, value.size() - 2);
    std::string unescaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      unescaped += value[i];
    }
    if (unescaped.rfind("$HOME", 0) == 0) {
      if (home.empty()) return {};
      return withoutTrailingSlash(home + unescaped.substr(5));
    }
    return unescaped.size() > 0 && unescaped.front() == '/' ? withoutTrailingSlash(unescaped) : std::string();
  }
  return {};
}

std::string userDocumentsFolder() {
  const std::string home = userHomeFolder();
  const std::string configuration = userConfigurationFolder();
  if (!configuration.empty()) {
    std::vector<std::uint8_t> bytes;
    if (readWholeFile(configuration + "/user-dirs.dirs", bytes)) {
      const std::string named = documentsDirFromUserDirs(std::string(bytes.begin(), bytes.end()), home);
      if (isFolder(named)) return named;
    }
  }
  if (home.empty()) return {};
  if (isFolder(home + "/Documents")) return home + "/Documents";
  return home;
}

}  // namespace sorvel
