#include "platform/RecursiveLock.h"

#include <windows.h>

#include <new>

namespace sorvel {

static_assert(sizeof(CRITICAL_SECTION) <= 64, "the lock's storage holds a critical section");

namespace {

CRITICAL_SECTION* section(unsigned char* storage) { return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage)); }

}  // namespace

RecursiveLock::RecursiveLock() { ::InitializeCriticalSection(new (section_) CRITICAL_SECTION); }

RecursiveLock::~RecursiveLock() { ::DeleteCriticalSection(section(section_)); }

void RecursiveLock::lock() { ::EnterCriticalSection(section(section_)); }

void RecursiveLock::unlock() { ::LeaveCriticalSection(section(section_)); }

bool RecursiveLock::try_lock() { return ::TryEnterCriticalSection(section(section_)) != 0; }

}  // namespace sorvel
