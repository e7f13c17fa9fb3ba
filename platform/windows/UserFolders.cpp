#include "platform/UserFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/windows/WideText.h"

namespace sorvel {

namespace {

std::string knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path))) folder = utf8FromWide(path);
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace

// Per-user settings of a plug-in live in the local (not roaming) application data.
std::string userConfigurationFolder() { return knownFolder(FOLDERID_LocalAppData); }

std::string userDocumentsFolder() {
  const std::string documents = knownFolder(FOLDERID_Documents);
  return documents.empty() ? userHomeFolder() : documents;
}

std::string userHomeFolder() { return knownFolder(FOLDERID_Profile); }

}  // namespace sorvel
