#pragma once

/// The allocations the process has made so far. A benchmark linked with
/// allocation_count.cpp sends every operator new through this count, so a window
/// of it can show that an iteration loop allocates nothing.
unsigned long long allocation_count();
