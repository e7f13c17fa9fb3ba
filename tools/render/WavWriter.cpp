#include "tools/render/WavWriter.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/render/RenderError.h"

namespace render {

WavWriter::WavWriter(const std::string& path, int sampleRate, int channels, SampleFormat format)
    : path_(path), temporary_(path + ".partial-" + std::to_string(getpid())) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | (format == SampleFormat::Float32 ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_24);
  file_ = sf_open(temporary_.c_str(), SFM_WRITE, &info);
  if (file_ == nullptr) {
    const std::string reason = errno != 0 ? std::strerror(errno) : sf_strerror(nullptr);
    throw RenderError(kExitOutputFailed, "cannot create '" + path + "': " + reason);
  }
  // Integer samples beyond full scale are clipped rather than wrapped, and no time-stamped peak
  // chunk is written, so the same render gives the same bytes.
  sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

WavWriter::~WavWriter() {
  if (file_ != nullptr) sf_close(file_);
  if (!committed_) std::remove(temporary_.c_str());
}

void WavWriter::fail(const std::string& what) {
  throw RenderError(kExitOutputFailed, what + " '" + path_ + "': " + sf_strerror(file_));
}

void WavWriter::write(const double* frames, long count) {
  if (sf_writef_double(file_, frames, count) != count) fail("cannot write");
}

void WavWriter::commit() {
  sf_write_sync(file_);
  const int closed = sf_close(file_);
  file_ = nullptr;
  if (closed != 0) throw RenderError(kExitOutputFailed, "cannot finish '" + path_ + "'");
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    throw RenderError(kExitOutputFailed, "cannot write '" + path_ + "': " + std::strerror(errno));
  }
  committed_ = true;
}

}  // namespace render
