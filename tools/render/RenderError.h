// A failure the renderer reports as one line on standard error, with the exit code that tells
// scripts what went wrong.
#pragma once

#include <stdexcept>
#include <string>

namespace render {

enum ExitCode : int {
  kExitOk = 0,
  kExitBadInput = 1,     // a missing, unreadable or malformed file; an unknown name or value
  kExitUsage = 2,        // the command line itself is wrong
  kExitBadPlugin = 3,    // the plug-in does not load or is not an instrument
  kExitOutputFailed = 4, // the output file cannot be written
  kExitInterrupted = 130,
};

class RenderError : public std::runtime_error {
 public:
  RenderError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

}  // namespace render
