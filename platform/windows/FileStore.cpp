#include "platform/FileStore.h"

#include <windows.h>

#include <atomic>

#include "platform/windows/WideText.h"

namespace sorvel {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    if (!valid()) return true;
    const bool closed = ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool writeAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const DWORD piece = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(file, data, piece, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

DWORD attributesOf(const std::string& path) {
  if (!isUsablePath(path)) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(widePath(path).c_str());
}

}  // namespace

bool isUsablePath(const std::string& path) {
  return !path.empty() && path.size() <= kMaxPathLength && path.find('\0') == std::string::npos;
}

bool isFolder(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool pathExists(const std::string& path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool makeFolder(const std::string& path, bool /*privateToUser*/) {
  // Folders under the user's profile inherit its access rights, which already keep others out.
  return isUsablePath(path) && ::CreateDirectoryW(widePath(path).c_str(), nullptr) != 0;
}

NewFile createEmptyFile(const std::string& path) {
  if (!isUsablePath(path)) return NewFile::Failed;
  FileHandle file(::CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.valid()) return NewFile::Created;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFile::AlreadyThere : NewFile::Failed;
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (!isUsablePath(path)) return false;
  FileHandle file(::CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER size{};
  if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > kMaxReadBytes) {
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
      bytes.clear();
      return false;
    }
    // The file shrank while being read: keep what is there.
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return true;
}

bool writeFileReplacing(const std::string& path, const void* data, std::size_t size) {
  if (!isUsablePath(path) || (data == nullptr && size > 0)) return false;
  static std::atomic<unsigned> counter{0};
  std::wstring temporary;
  HANDLE created = INVALID_HANDLE_VALUE;
  // A new file beside path that no one else uses: CREATE_NEW makes the name ours.
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = widePath(path + ".tmp" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++));
    created = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  FileHandle file(created);
  if (!file.valid()) return false;
  bool ok = writeAll(file.get(), static_cast<const std::uint8_t*>(data), size);
  ok = ok && ::FlushFileBuffers(file.get()) != 0;
  ok = file.close() && ok;
  ok = ok && ::MoveFileExW(temporary.c_str(), widePath(path).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) ::DeleteFileW(temporary.c_str());
  return ok;
}

}  // namespace sorvel
