// What a callback of the system returns when its work throws: an exception
// that crosses into the system ends the process, and in the hook library
// that process is the shell. Portable: no Windows headers.
#pragma once

#include <utility>

// The work's result, or `failure` when it throws (memory ran out): that one
// message or call fails and the process goes on.
template <class Result, class Work>
Result GuardedResult(Result failure, Work&& work) noexcept {
    try {
        return std::forward<Work>(work)();
    } catch (...) {
        return failure;
    }
}
