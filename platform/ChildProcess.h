// Runs a helper program as a child process with an argument vector (no shell, so no text is ever
// interpreted) and collects what it prints.
#pragma once

#include <string>
#include <vector>

namespace sorvel {

struct ChildResult {
  bool started = false;
  int exitCode = -1;   // -1 when the child did not exit normally
  std::string output;  // standard output, at most kMaxChildOutput bytes
};

constexpr std::size_t kMaxChildOutput = 65536;

// Full path of an executable program found on PATH, or empty.
std::string findOnPath(const std::string& program);

// Starts argv[0] (a full path) with argv, standard input from /dev/null, standard error discarded,
// and waits for it to end.
ChildResult runChild(const std::vector<std::string>& argv);

// Starts argv[0] (a full path) with argv and does not wait for it: a program that may run as long
// as the user likes (a web browser) must not hold up the caller. The child is nobody's to reap.
bool startDetached(const std::vector<std::string>& argv);

}  // namespace sorvel
