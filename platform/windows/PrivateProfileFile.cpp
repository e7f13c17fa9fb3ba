// The profile file on disk on Windows: writes serialised within the process by a critical section
// and between processes by a named mutex for the file.
#include <windows.h>

#include <cstdint>
#include <cwctype>

#include "platform/FileStore.h"
#include "platform/PrivateProfile.h"
#include "platform/RecursiveLock.h"
#include "platform/windows/WideText.h"

namespace sorvel {

namespace {

RecursiveLock& profileLock() {
  static RecursiveLock lock;
  return lock;
}

// Mutex names may not hold backslashes and ignore nothing: one name per file, whatever its spelling.
std::wstring mutexNameFor(const std::string& path) {
  std::wstring name = L"Local\\sorvel-profile-";
  for (wchar_t c : widePath(path)) {
    if (c == L'\\') c = L'|';
    name += static_cast<wchar_t>(std::towlower(c));
  }
  if (name.size() > MAX_PATH) name.resize(MAX_PATH);
  return name;
}

class FileMutex {
 public:
  explicit FileMutex(const std::string& path) : mutex_(::CreateMutexW(nullptr, FALSE, mutexNameFor(path).c_str())) {
    if (mutex_ != nullptr) {
      const DWORD waited = ::WaitForSingleObject(mutex_, INFINITE);
      // A process that died holding it left the file as it was: go on.
      held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
  }
  ~FileMutex() {
    if (held_) ::ReleaseMutex(mutex_);
    if (mutex_ != nullptr) ::CloseHandle(mutex_);
  }
  FileMutex(const FileMutex&) = delete;
  FileMutex& operator=(const FileMutex&) = delete;

 private:
  HANDLE mutex_;
  bool held_ = false;
};

}  // namespace

bool PrivateProfile::exists() const { return pathExists(path_); }

bool PrivateProfile::update(const std::function<bool(ProfileDocument&)>& change) {
  if (!isUsablePath(path_)) return false;
  LockGuard processLock(profileLock());
  FileMutex fileMutex(path_);

  const DWORD attributes = ::GetFileAttributesW(widePath(path_).c_str());
  const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
  if (!existed) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
  }
  std::vector<std::uint8_t> bytes;
  // A file that is there but cannot be read whole is never replaced.
  if (existed && !readWholeFile(path_, bytes)) return false;

  ProfileDocument document =
      ProfileDocument::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!change(document)) return true;
  const std::string text = document.text();
  return writeFileReplacing(path_, text.data(), text.size());
}

}  // namespace sorvel
