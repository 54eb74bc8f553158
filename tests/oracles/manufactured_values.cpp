// Writes what the program derives from one typed solution, for the oracles in
// tests/oracles/manufactured_reference.py and printed_source.py, every digit a double
// holds:
//
//   manufactured_values EXPR RE POINTS
//
// "x u du d2u S" at x = k / POINTS for k = 0 to POINTS, then "mean M" and "slope D".

#include <cstdio>
#include <cstdlib>

#include "expression/manufactured.hpp"
#include "system/error.hpp"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: manufactured_values EXPR RE POINTS\n", stderr);
    return 2;
  }
  try {
    const talvenor::Manufactured m = talvenor::manufacture(argv[1], "EXPR");
    const double Re = std::atof(argv[2]);
    const int points = std::atoi(argv[3]);
    for (int k = 0; k <= points; ++k) {
      const double x = static_cast<double>(k) / points;
      const talvenor::Jet j = talvenor::jet_at(m, x, Re);
      std::printf("%.17g %.17g %.17g %.17g %.17g\n", x, j.u, j.du, j.d2u,
                  talvenor::burgers_source(j, Re));
    }
    std::printf("mean %.17g\nslope %.17g\n", talvenor::mean_over_unit_interval(m, Re),
                talvenor::jet_at(m, 1.0, Re).du);
  } catch (const talvenor::Error& error) {
    std::fprintf(stderr, "manufactured_values: %s\n", error.what());
    return 1;
  }
  return 0;
}
