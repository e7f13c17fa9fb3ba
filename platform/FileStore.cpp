#include "platform/FileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace sorvel {

namespace {

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// A new file beside path that no one else uses: O_EXCL makes the name ours.
int createTemporaryBeside(const std::string& path, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool isUsablePath(const std::string& path) {
  return !path.empty() && path.size() <= kMaxPathLength && path.find('\0') == std::string::npos;
}

bool isFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool pathExists(const std::string& path) {
  struct stat info {};
  return isUsablePath(path) && ::stat(path.c_str(), &info) == 0;
}

bool makeFolder(const std::string& path, bool privateToUser) {
  return isUsablePath(path) && ::mkdir(path.c_str(), privateToUser ? 0700 : 0777) == 0;
}

NewFile createEmptyFile(const std::string& path) {
  if (!isUsablePath(path)) return NewFile::Failed;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? NewFile::AlreadyThere : NewFile::Failed;
  ::close(fd);
  return NewFile::Created;
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (!isUsablePath(path)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
            static_cast<std::uint64_t>(info.st_size) <= kMaxReadBytes;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        // The file shrank while being read: keep what is there.
        if (got < 0) ok = false;
        break;
      }
      done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
  }
  ::close(fd);
  if (!ok) bytes.clear();
  return ok;
}

bool writeFileReplacing(const std::string& path, const void* data, std::size_t size) {
  if (!isUsablePath(path) || (data == nullptr && size > 0)) return false;
  std::string temporary;
  const int fd = createTemporaryBeside(path, temporary);
  if (fd < 0) return false;
  bool ok = writeAll(fd, static_cast<const std::uint8_t*>(data), size);
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace sorvel
