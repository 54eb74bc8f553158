#include "bench_support.hpp"

#include <cstdlib>
#include <new>

#include "input/dados.hpp"
#include "solver/calculos.hpp"
#include "system/fp_faults.hpp"

talvenor::CaseData w1_case(int esquema, int N, double Re, int itmax) {
  talvenor::clear_fp_faults();
  talvenor::CaseData data;
  data.caso.assign("bench");
  data.esquema = esquema;
  data.fonte = 0;
  data.N = N;
  data.Re = Re;
  data.beta = 0.5;
  data.itmax = itmax;
  data.freq = 1;
  talvenor::prepare_mesh(data);
  talvenor::compute_exact(data);
  return data;
}

namespace {

unsigned long long allocations = 0;

}  // namespace

unsigned long long allocation_count() { return allocations; }

// Kept out of line: inlined into a caller, GCC pairs the malloc and free of these
// replacements with the caller's new and delete and warns of a mismatch.
[[gnu::noinline]] void* operator new(std::size_t bytes) {
  ++allocations;
  if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t bytes) { return operator new(bytes); }
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
