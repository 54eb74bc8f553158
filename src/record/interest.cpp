#include "record/interest.hpp"

namespace talvenor {

InterestValues field_variables(std::span<const double> u, double h) {
  const std::size_t N = u.size() - 1;
  double sum = 0.0;
  for (std::size_t i = 1; i <= N; ++i) sum += u[i] + u[i - 1];
  return {u[N / 2], (sum * h) * 0.5, (((u[N - 1] * -4.0) + u[N - 2]) + u[N] * 3.0) / (h * 2.0)};
}

InterestValues numerical_variables(const CaseData& data) {
  return {data.u[middle_node(data.N)], data.u_media_n, data.inclinacao_n};
}

InterestValues exact_variables(const CaseData& data) {
  return {data.ua[middle_node(data.N)], data.u_media_a, data.inclinacao_a};
}

}  // namespace talvenor
