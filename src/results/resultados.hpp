#pragma once

#include <cstdint>

#include "record/variaveis.hpp"
#include "textio/text_file.hpp"

namespace talvenor {

/// The results stage: the coefficient table if lista_coef = 1, the solution table
/// if lista_sol = 1, the data file and plots if graficos = 1, then always the report.
void write_results(const CaseData& data, TextFile& listing);

/// The nodes listed by the tables and the data file: 0, freq, 2 freq, ... below N,
/// then N once. listed_nodes(10, 3) -> 0 3 6 9 10; listed_nodes(10, 5) -> 0 5 10.
class ListedNodes {
 public:
  ListedNodes(std::int32_t N, std::int32_t freq) : N_(N), freq_(freq) {}

  class Iterator {
   public:
    Iterator(std::int64_t node, std::int64_t N, std::int64_t freq)
        : node_(node), N_(N), freq_(freq) {}
    std::int32_t operator*() const { return static_cast<std::int32_t>(node_); }
    Iterator& operator++() {
      node_ = node_ == N_ ? N_ + 1 : (node_ + freq_ < N_ ? node_ + freq_ : N_);
      return *this;
    }
    bool operator==(const Iterator& other) const { return node_ == other.node_; }

   private:
    std::int64_t node_, N_, freq_;
  };

  Iterator begin() const { return {0, N_, freq_}; }
  Iterator end() const { return {std::int64_t{N_} + 1, N_, freq_}; }

 private:
  std::int32_t N_, freq_;
};

inline ListedNodes listed_nodes(std::int32_t N, std::int32_t freq) {
  return {N, freq};
}

void list_coefficients(const CaseData& data, TextFile& listing);
void list_solutions(const CaseData& data, TextFile& listing);
/// The data file and the two plot scripts, each script followed by the plotter.
void write_plot_files(const CaseData& data);
/// The variables of interest with their errors, and the processing time.
void report_variables(const CaseData& data, TextFile& listing);

}  // namespace talvenor
