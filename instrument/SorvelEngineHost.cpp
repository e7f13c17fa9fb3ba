#include "instrument/SorvelEngineHost.h"

#include "framework/IGraphics.h"
#include "instrument/Sorvel.h"

namespace sorvel {

void SorvelEngineHost::drainEvents(int controlPeriod) {
  MidiEventQueue& queue = owner_.midiQueue();
  const int pending = queue.pending();
  if (pending == 0) return;  // most ticks
  int walked = 0;
  int handled = 0;
  while (walked < pending) {
    MidiMessage& message = queue.at(walked++);
    message.offset -= controlPeriod;
    if (message.offset > 0) break;
    owner_.engine().handleEvent(message.status, message.data1, message.data2, *this);
    ++handled;
  }
  for (int i = walked; i < pending; ++i) queue.at(i).offset -= controlPeriod;
  queue.consume(handled);
}

void SorvelEngineHost::controllerMoved(int controller, double normalised) {
  const int index = owner_.mappedParameter(controller);
  if (index < 0 || index >= owner_.parameterCount()) return;
  IParam* parameter = owner_.parameter(index);
  if (parameter->value() == normalised) return;
  // As if moved in the editor: the host hears of it and records it as automation.
  owner_.setParameterFromEditor(index, normalised);
  if (IGraphics* editor = owner_.editor()) editor->setParameterFromPlug(index, normalised, true);
}

bool SorvelEngineHost::tuningActive() {
  MtsClient* client = owner_.mtsClient();
  return client != nullptr && client->isOnline();
}

bool SorvelEngineHost::noteFiltered(int note) {
  MtsClient* client = owner_.mtsClient();
  return client != nullptr && client->shouldFilterNote(note);
}

double SorvelEngineHost::noteFrequency(int note) {
  MtsClient* client = owner_.mtsClient();
  return client != nullptr ? client->frequency(note) : 0.0;
}

}  // namespace sorvel
