// A well-formed VST 2 effect with stereo input and output that is not an instrument.
#include "framework/vst2.h"

namespace {

using namespace vst2;

VstIntPtr dispatcher(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
void process(AEffect*, float**, float**, VstInt32) {}
void setParameter(AEffect*, VstInt32, float) {}
float getParameter(AEffect*, VstInt32) { return 0.0f; }

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
  static AEffect effect{};
  effect.magic = kEffectMagic;
  effect.dispatcher = dispatcher;
  effect.process = process;
  effect.setParameter = setParameter;
  effect.getParameter = getParameter;
  effect.numInputs = 2;
  effect.numOutputs = 2;
  effect.flags = effFlagsCanReplacing;
  effect.uniqueID = fourCC('t', 'e', 's', 't');
  effect.processReplacing = process;
  return &effect;
}
