#pragma once

#include <cstddef>

// Asks the kernel to back a large, not yet touched buffer with huge pages. On virtual machines a
// first touch of each 4 KiB page costs microseconds, which made reading and decoding a 100 MB
// document several times slower than the copying itself. Harmless where unsupported.
void adviseHugePages(void* start, std::size_t length);
