// Work split over the processor's cores. Portable: no Windows headers.
#pragma once

#include <functional>

// Runs body(begin, end) over [0, count) in bands on up to four threads.
// Nothing may leave a thread, where it would end the program: a band that
// throws (memory runs out) fails the whole run, and a band whose thread
// cannot start runs on the calling thread. False when a band failed.
bool ParallelRows(int count, const std::function<void(int begin, int end)>& body);
