// The plug-in lock: one per plug-in object, re-entrant because the adapter already holds it when
// the base takes it again around parameter changes and serialization.
#pragma once

#include <mutex>

namespace sorvel {

class RecursiveLock {
 public:
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool try_lock() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace sorvel
