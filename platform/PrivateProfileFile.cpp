// The profile file on disk on POSIX systems: writes serialised within the process and, through
// an advisory lock on the folder, between processes; links are followed.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

#include "platform/FileStore.h"
#include "platform/PrivateProfile.h"

namespace sorvel {

namespace {

// Serialises profile writes within the process; between processes an advisory lock on the
// folder does the same.
std::mutex& profileMutex() {
  static std::mutex mutex;
  return mutex;
}

class FolderLock {
 public:
  explicit FolderLock(const std::string& file) {
    const auto slash = file.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

// A link is followed, so the file it names is replaced rather than the link.
std::string resolvedPath(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

}  // namespace

bool PrivateProfile::exists() const {
  struct stat info {};
  return isUsablePath(path_) && ::stat(path_.c_str(), &info) == 0;
}

bool PrivateProfile::update(const std::function<bool(ProfileDocument&)>& change) {
  if (!isUsablePath(path_)) return false;
  std::lock_guard<std::mutex> processLock(profileMutex());
  FolderLock folderLock(path_);
  const std::string target = resolvedPath(path_);

  struct stat info {};
  const bool existed = ::stat(target.c_str(), &info) == 0;
  if (!existed && errno != ENOENT) return false;
  std::vector<std::uint8_t> bytes;
  // A file that is there but cannot be read whole is never replaced.
  if (existed && !readWholeFile(target, bytes)) return false;

  ProfileDocument document =
      ProfileDocument::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!change(document)) return true;
  const std::string text = document.text();
  if (!writeFileReplacing(target, text.data(), text.size())) return false;
  if (existed) ::chmod(target.c_str(), info.st_mode & 07777);
  return true;
}

}  // namespace sorvel
