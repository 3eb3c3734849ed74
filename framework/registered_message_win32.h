// Window messages registered by name: every process that registers a name
// gets the same number, so two programs, or a program and a library in the
// shell's process, agree on it without exchanging a table.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <iterator>

namespace fw {

// One such message. The number is asked for on first use and kept; the
// object needs no construction at run time, so it may be used anywhere,
// also while a library is being loaded.
class RegisteredMessage {
public:
    explicit constexpr RegisteredMessage(const char* name) noexcept : name_(name) {}
    RegisteredMessage(const RegisteredMessage&) = delete;
    RegisteredMessage& operator=(const RegisteredMessage&) = delete;

    const char* Name() const { return name_; }
    operator UINT() const {
        UINT number = number_.load(std::memory_order_relaxed);
        if (!number) {
            // The names are ASCII: widened in place, with nothing to allocate.
            wchar_t name[64] = {};
            for (std::size_t i = 0; name_[i] && i + 1 < std::size(name); ++i) name[i] = static_cast<wchar_t>(name_[i]);
            number = ::RegisterWindowMessageW(name);
            number_.store(number, std::memory_order_relaxed);
        }
        return number;
    }

private:
    const char* name_;
    mutable std::atomic<UINT> number_{0};
};

}  // namespace fw
