// The test's hold on a stand-in tuning library: the same loaded copy the plug-in finds at that
// path, so what the test sets here is what the instrument reads.
#pragma once

#include <dlfcn.h>

namespace standin {

class TuningStandIn {
 public:
  explicit TuningStandIn(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    reset_ = find<void (*)()>("StandIn_Reset");
    setMaster_ = find<void (*)(bool)>("StandIn_SetMaster");
    setFrequency_ = find<void (*)(int, double)>("StandIn_SetFrequency");
    setFiltered_ = find<void (*)(int, bool)>("StandIn_SetFiltered");
    clients_ = find<int (*)()>("StandIn_Clients");
    registrations_ = find<int (*)()>("StandIn_Registrations");
    filterQueries_ = find<int (*)()>("StandIn_FilterQueries");
    lastFilterChannel_ = find<int (*)()>("StandIn_LastFilterChannel");
    if (ready()) reset_();
  }
  ~TuningStandIn() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  TuningStandIn(const TuningStandIn&) = delete;
  TuningStandIn& operator=(const TuningStandIn&) = delete;

  bool ready() const {
    return handle_ != nullptr && reset_ && setMaster_ && setFrequency_ && setFiltered_ && clients_ &&
           registrations_ && filterQueries_ && lastFilterChannel_;
  }
  void setMaster(bool on) { setMaster_(on); }
  void setFrequency(int note, double hz) { setFrequency_(note, hz); }
  void setFiltered(int note, bool on) { setFiltered_(note, on); }
  int clients() { return clients_(); }
  int registrations() { return registrations_(); }
  int filterQueries() { return filterQueries_(); }
  int lastFilterChannel() { return lastFilterChannel_(); }

 private:
  template <typename Function>
  Function find(const char* name) {
    return handle_ == nullptr ? nullptr : reinterpret_cast<Function>(dlsym(handle_, name));
  }

  void* handle_;
  void (*reset_)() = nullptr;
  void (*setMaster_)(bool) = nullptr;
  void (*setFrequency_)(int, double) = nullptr;
  void (*setFiltered_)(int, bool) = nullptr;
  int (*clients_)() = nullptr;
  int (*registrations_)() = nullptr;
  int (*filterQueries_)() = nullptr;
  int (*lastFilterChannel_)() = nullptr;
};

}  // namespace standin
