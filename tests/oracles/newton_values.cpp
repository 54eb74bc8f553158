// Writes the Newton solution of one case for the independent model in
// tests/oracles/newton_reference.py: u at nodes 0 to N, one a line, every digit a double holds.
//
//   newton_values ESQUEMA FONTE N RE BETA

#include <cstdio>
#include <cstdlib>

#include "solver/newton.hpp"
#include "solver/solver_test_support.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: newton_values ESQUEMA FONTE N RE BETA\n", stderr);
    return 2;
  }
  try {
    talvenor::CaseData data = talvenor::mesh_case(std::atoi(argv[3]), std::atoi(argv[1]),
                                                  std::atoi(argv[2]), std::atof(argv[4]), 50);
    data.beta = std::atof(argv[5]);
    talvenor::clear_fp_faults();
    talvenor::compute_exact(data);
    talvenor::solve_newton(data);
    for (const double value : data.u) std::printf("%.17g\n", value);
  } catch (const talvenor::Error& error) {
    std::fprintf(stderr, "newton_values: %s\n", error.what());
    return 1;
  }
  return 0;
}
