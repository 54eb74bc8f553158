#include "system/fp_faults.hpp"

#include <array>
#include <cfenv>
#include <string>

#include "system/error.hpp"

namespace talvenor {
namespace {

/// The status flags that are faults, with the name a report gives each.
struct Fault {
  int flag;
  const char* name;
};

constexpr std::array<Fault, 3> kFaults{{
    {FE_DIVBYZERO, "division by zero"},
    {FE_INVALID, "invalid operation"},
    {FE_OVERFLOW, "overflow"},
}};

}  // namespace

void clear_fp_faults() {
  std::feclearexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
}

bool fp_faults_raised() {
  return std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW) != 0;
}

void check_fp_faults(std::string_view where) {
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  if (raised == 0) return;
  // Every raised fault is named: "division by zero, invalid operation and overflow".
  std::string names;
  int left = raised;
  for (const Fault& fault : kFaults) {
    if ((raised & fault.flag) == 0) continue;
    left &= ~fault.flag;
    if (!names.empty()) names += left == 0 ? " and " : ", ";
    names += fault.name;
  }
  throw Error(Error::Kind::arithmetic, "floating-point " + names + " in " + std::string(where));
}

}  // namespace talvenor
