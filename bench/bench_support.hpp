#pragma once

// What the iteration benchmarks share: W1's case, and the process's allocation count.

#include "record/variaveis.hpp"

/// W1's case (fonte 0, beta 0.5) for esquema at N elements, Re and itmax, with
/// the mesh and the exact solution, the fault flags that the benchmark library's
/// own arithmetic left cleared.
talvenor::CaseData w1_case(int esquema, int N, double Re, int itmax);

/// The allocations the process has made so far. A benchmark linked with
/// bench_support.cpp sends every operator new through this count, so a window of
/// it can show that an iteration loop allocates nothing.
unsigned long long allocation_count();
