// The output WAV, written under a temporary name beside its destination and renamed into place
// only when complete, so an interrupted or failed render never leaves a file that looks finished.
#pragma once

#include <sndfile.h>

#include <string>

#include "tools/render/RenderOptions.h"

namespace render {

class WavWriter {
 public:
  // Throws RenderError (output failed) when the file cannot be created.
  WavWriter(const std::string& path, int sampleRate, int channels, SampleFormat format);
  ~WavWriter();  // removes the temporary file unless commit() succeeded
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Interleaved frames.
  void write(const double* frames, long count);
  void commit();

 private:
  [[noreturn]] void fail(const std::string& what);

  std::string path_;
  std::string temporary_;
  SNDFILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace render
