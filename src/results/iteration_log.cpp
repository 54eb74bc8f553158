#include "results/iteration_log.hpp"

#include <string>

#include "record/interest.hpp"
#include "record/run_files.hpp"
#include "textio/layout.hpp"

namespace talvenor {
namespace {

constexpr int kLogUnit = 11;

}  // namespace

IterationLog::IterationLog(const CaseData& data)
    : file_(log_name(data), kLogUnit, "iteration log") {
  static const Layout kHeader(u8"(T2,'iteração',T12,'" +
                              std::u8string(kVariableNames[0].log_heading) + u8"',T35,'" +
                              std::u8string(kVariableNames[1].log_heading) + u8"',T58,'" +
                              std::u8string(kVariableNames[2].log_heading) + u8"')");
  write_formatted(file_, kHeader, {});
}

void IterationLog::write(const CaseData& now) {
  static const Layout kRecord(u8"(I8,3(1P,E23.14))");
  const InterestValues values = numerical_variables(now);
  write_formatted(file_, kRecord, {now.it, values[0], values[1], values[2]});
}

}  // namespace talvenor
