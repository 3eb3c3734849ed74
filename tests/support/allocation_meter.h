// Counts the heap bytes a piece of code holds at its peak. The test binary
// that links allocation_meter.cpp replaces the global operator new.
#pragma once

#include <cstddef>

namespace allocation_meter {

class Scope {
public:
    Scope();
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    // Largest number of bytes allocated in this scope and not yet freed.
    std::size_t PeakBytes() const;
};

// While it lives, every allocation made by a thread other than the one that
// made it fails with std::bad_alloc, as when memory runs out on a worker.
class FailOnOtherThreads {
public:
    FailOnOtherThreads();
    ~FailOnOtherThreads();
    FailOnOtherThreads(const FailOnOtherThreads&) = delete;
    FailOnOtherThreads& operator=(const FailOnOtherThreads&) = delete;
};

}  // namespace allocation_meter
