#include "tests/support/allocation_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

// Each block carries its size in a header so that frees can be counted.
constexpr std::size_t kHeader = alignof(std::max_align_t);
// Atomic: the code measured may allocate on several threads at once.
std::atomic<bool> metering{false};
std::atomic<std::size_t> current{0};
std::atomic<std::size_t> peak{0};
std::atomic<bool> failOthers{false};
std::thread::id failOwner;

void* Allocate(std::size_t size) {
    if (failOthers.load(std::memory_order_acquire) && std::this_thread::get_id() != failOwner) {
        throw std::bad_alloc();
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    if (metering) {
        const std::size_t now = current += size;
        std::size_t seen = peak;
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }
    return block + kHeader;
}

void Free(void* p) noexcept {
    if (!p) return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    const std::size_t size = *reinterpret_cast<std::size_t*>(block);
    // A block from before the scope counts down to 0, not below.
    std::size_t held = current;
    while (metering && !current.compare_exchange_weak(held, size > held ? 0 : held - size)) {
    }
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }

namespace allocation_meter {

Scope::Scope() {
    current = 0;
    peak = 0;
    metering = true;
}

Scope::~Scope() { metering = false; }

std::size_t Scope::PeakBytes() const { return peak; }

FailOnOtherThreads::FailOnOtherThreads() {
    failOwner = std::this_thread::get_id();
    failOthers.store(true, std::memory_order_release);
}

FailOnOtherThreads::~FailOnOtherThreads() { failOthers.store(false, std::memory_order_release); }

}  // namespace allocation_meter
