// Saving never loses the previous file: the new one is written beside it and takes its place
// only when every byte is on disk.
#include <signal.h>
#include <sys/resource.h>

#include "instrument/Sorvel.h"
#include "platform/FileStore.h"
#include "tests/file_test_support.h"

using namespace sorvel;
using namespace filetest;

namespace {

// Limits the size of any file this process writes, as a full disk would; SIGXFSZ is ignored so
// the write fails instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit old_{};
  sighandler_t previousHandler_ = SIG_DFL;
};

}  // namespace

TEST(FileStore, ReplacesTheOldFileAndLeavesNothingElse) {
  ScratchFolder folder;
  const std::string path = folder.file("bank.fxb");
  writeBytes(path, Bytes(10, 7));
  const Bytes data = {1, 2, 3, 4, 5};
  ASSERT_TRUE(writeFileReplacing(path, data.data(), data.size()));
  EXPECT_EQ(readBytes(path), data);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"bank.fxb"});
}

TEST(FileStore, FailedWriteKeepsThePreviousFile) {
  ScratchFolder folder;
  const std::string path = folder.file("bank.fxb");
  const Bytes previous(100, 42);
  writeBytes(path, previous);
  const Bytes large(100000, 1);
  {
    FileSizeLimit limit(4096);
    EXPECT_FALSE(writeFileReplacing(path, large.data(), large.size()));
  }
  EXPECT_EQ(readBytes(path), previous);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"bank.fxb"});
}

TEST(FileStore, UnusableTargetsFail) {
  ScratchFolder folder;
  const Bytes data = {1};
  EXPECT_FALSE(writeFileReplacing(folder.file("no-such-folder/x.fxp"), data.data(), data.size()));
  EXPECT_FALSE(writeFileReplacing("", data.data(), data.size()));
  EXPECT_FALSE(writeFileReplacing(folder.file("a") + std::string(1, '\0'), data.data(), data.size()));
  EXPECT_FALSE(writeFileReplacing(folder.file(std::string(5000, 'n')), data.data(), data.size()));
  std::filesystem::create_directory(folder.file("taken"));
  EXPECT_FALSE(writeFileReplacing(folder.file("taken"), data.data(), data.size()));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"taken"});
}

TEST(FileStore, OnlyExistingFoldersAndLinksToThemAreFolders) {
  ScratchFolder folder;
  writeBytes(folder.file("plain"), Bytes{1});
  std::filesystem::create_directory(folder.file("sub"));
  std::filesystem::create_directory_symlink(folder.file("sub"), folder.file("link"));
  EXPECT_TRUE(isFolder(folder.path()));
  EXPECT_TRUE(isFolder(folder.file("sub")));
  EXPECT_TRUE(isFolder(folder.file("link")));
  EXPECT_FALSE(isFolder(folder.file("plain")));
  EXPECT_FALSE(isFolder(folder.file("missing")));
  EXPECT_FALSE(isFolder(""));
}

TEST(FileStore, BankSaveOnAFullDiskReportsFailureAndKeepsTheOldBank) {
  ScratchFolder folder;
  Sorvel plug(nullptr);
  const std::string path = folder.file("user.fxb");
  ASSERT_TRUE(plug.saveBankFile(path));
  const Bytes saved = readBytes(path);
  plug.ModifyCurrentPreset("Changed");
  {
    FileSizeLimit limit(1024);  // below a program file's size
    EXPECT_FALSE(plug.saveBankFile(path));
    EXPECT_FALSE(plug.saveProgramFile(folder.file("user.fxb")));
  }
  EXPECT_EQ(readBytes(path), saved);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"user.fxb"});
}
