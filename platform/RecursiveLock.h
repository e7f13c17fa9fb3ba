// The plug-in lock: one per plug-in object, re-entrant because the adapter already holds it when
// the base takes it again around parameter changes and serialization.
#pragma once

#include <mutex>

namespace sorvel {

#if defined(_WIN32)

// A critical section, kept in storage of our own so that this header does not bring in windows.h.
class RecursiveLock {
 public:
  RecursiveLock();
  ~RecursiveLock();
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void lock();
  void unlock();
  bool try_lock();

 private:
  alignas(8) unsigned char section_[64];
};

#else

class RecursiveLock {
 public:
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool try_lock() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

#endif

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace sorvel
