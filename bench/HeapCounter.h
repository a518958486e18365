#pragma once
// What the benchmark's own code holds on the heap: the binary replaces operator new and
// delete with counting ones. The system's allocations (a find handle's buffer, Wine's own
// copy of a listing) are not in it.

#include <cstddef>

namespace tv::bench {

std::size_t heapInUse();
// The most held at once since the last reset.
std::size_t heapPeak();
void resetHeapPeak();
// How many blocks were taken since the program started.
std::size_t heapAllocations();

} // namespace tv::bench
