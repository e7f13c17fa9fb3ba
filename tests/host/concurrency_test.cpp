// Several instances in one process, and one instance driven from two threads at once.
#include <atomic>
#include <thread>

#include "dsp/ParameterIds.h"
#include "tests/host/PluginHost.h"

using namespace sorvel;
using namespace testhost;

TEST(VstInstances, TwoInstancesKeepTheirOwnState) {
  PluginHost a, b;
  a.start(44100.0f, 512);
  b.start(48000.0f, 256);
  a.setParameter(kVolume, 0.9f);
  b.setParameter(kVolume, 0.1f);
  char name[] = "Only in A";
  a.dispatch(effSetProgramName, 0, 0, name);
  EXPECT_EQ(a.parameterDisplay(kVolume), "0.90");
  EXPECT_EQ(b.parameterDisplay(kVolume), "0.10");
  EXPECT_EQ(b.text(effGetProgramName), "Fat Sorvel");
  b.close();
  EXPECT_EQ(a.parameterDisplay(kVolume), "0.90");  // closing one leaves the other intact
}

TEST(VstInstances, RenderingWhileAnotherThreadSetsAndReadsParameters) {
  PluginHost host;
  host.start(44100.0f, 128);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<double> left(128), right(128);
    double* outputs[2] = {left.data(), right.data()};
    while (!stop.load()) host.effect()->processDoubleReplacing(host.effect(), nullptr, outputs, 128);
  });
  for (int round = 0; round < 2000; ++round) {
    const int index = round % 235;
    host.setParameter(index, static_cast<float>(round % 100) / 100.0f);
    const float v = host.getParameter(index);
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
    if (round % 50 == 0) host.getChunk(round % 100 == 0);
    if (round % 200 == 0) host.dispatch(effSetProgram, 0, round / 200);
  }
  stop = true;
  audio.join();
}
