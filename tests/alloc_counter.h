// Counts heap allocations made while counting is switched on, through a replacement of the
// global operator new in the unit test binary. Used to prove that audio processing allocates
// nothing.
#pragma once

namespace sorvel::test {

void setAllocationCounting(bool on);
long allocationCount();
void resetAllocationCount();

// Counts the allocations made during its lifetime.
class AllocationScope {
 public:
  AllocationScope() {
    resetAllocationCount();
    setAllocationCounting(true);
  }
  ~AllocationScope() { setAllocationCounting(false); }
  AllocationScope(const AllocationScope&) = delete;
  AllocationScope& operator=(const AllocationScope&) = delete;
  long count() const { return allocationCount(); }
};

}  // namespace sorvel::test
