#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace sorvel {

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string findOnPath(const std::string& program) {
  if (program.empty() || program.find('/') != std::string::npos) return {};
  const char* path = ::getenv("PATH");
  if (path == nullptr) return {};
  const std::string folders = path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty() || folder.front() != '/') continue;
    const std::string candidate = folder + "/" + program;
    if (isExecutableFile(candidate)) return candidate;
  }
  return {};
}

ChildResult runChild(const std::vector<std::string>& argv) {
  ChildResult result;
  if (argv.empty() || argv.front().empty()) return result;
  std::vector<char*> arguments;
  for (const auto& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // The host's own descriptors stay with the host.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

  pid_t child = -1;
  const int spawned = ::posix_spawn(&child, arguments.front(), &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    return result;
  }
  result.started = true;

  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(pipeFds[0], buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const std::size_t room = kMaxChildOutput - result.output.size();
    result.output.append(buffer, std::min(room, static_cast<std::size_t>(got)));
  }
  ::close(pipeFds[0]);

  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited == child && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

bool startDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv.front().empty()) return false;
  // A short-lived shell starts the program in the background and leaves it to init, so that no
  // zombie stays with the host; the arguments reach it as positional parameters, never as text.
  std::vector<std::string> shell{"/bin/sh", "-c", "\"$@\" </dev/null >/dev/null 2>&1 &", "sh"};
  shell.insert(shell.end(), argv.begin(), argv.end());
  return runChild(shell).exitCode == 0;
}

}  // namespace sorvel
