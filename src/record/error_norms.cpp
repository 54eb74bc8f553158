#include "record/error_norms.hpp"

#include <cmath>
#include <cstddef>

namespace talvenor {

ErrorNorms error_norms(std::span<const double> exact, std::span<const double> numerical,
                       double h) {
  double sum_abs = 0.0;
  double sum_squares = 0.0;
  double largest = 0.0;
  for (std::size_t i = 0; i < exact.size(); ++i) {
    const double e = std::fabs(exact[i] - numerical[i]);
    sum_abs += e;
    sum_squares += e * e;
    if (e > largest) largest = e;
  }
  return {h * sum_abs, std::sqrt(h * sum_squares), largest};
}

ErrorNorms error_norms(const FieldArrays& field, double h) {
  return error_norms(field.ua, field.u, h);
}

}  // namespace talvenor
