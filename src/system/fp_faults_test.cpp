#include "system/fp_faults.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <functional>
#include <string>

#include "system/error.hpp"

namespace talvenor {
namespace {

// Volatile so that the compiler computes at run time and the flags are raised.
volatile double zero = 0.0;
volatile double one = 1.0;
volatile double largest = DBL_MAX;
volatile double smallest = DBL_MIN;
volatile double sink = 0.0;

/// The message check_fp_faults throws, or "" when it throws nothing.
std::string fault_report(std::string_view where) {
  try {
    check_fp_faults(where);
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::arithmetic);
    return error.what();
  }
  return "";
}

TEST(FpFaults, NamesEachFault) {
  struct Case {
    const char* fault;
    std::function<void()> raise;
    std::string report;
  };
  const Case cases[] = {
      {"division by zero", [] { sink = one / zero; },
       "floating-point division by zero in iteration 3 (tdma)"},
      {"invalid operation", [] { sink = zero / zero; },
       "floating-point invalid operation in iteration 3 (tdma)"},
      {"overflow", [] { sink = largest * largest; },
       "floating-point overflow in iteration 3 (tdma)"},
      {"several", [] { sink = (one / zero) + (zero / zero); },
       "floating-point division by zero and invalid operation in iteration 3 (tdma)"},
      {"all three", [] { sink = (one / zero) + (zero / zero) + (largest * largest); },
       "floating-point division by zero, invalid operation and overflow in iteration 3 (tdma)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    clear_fp_faults();
    c.raise();
    EXPECT_EQ(fault_report("iteration 3 (tdma)"), c.report);
  }
  clear_fp_faults();
}

TEST(FpFaults, UnderflowAndInexactAreNotFaults) {
  clear_fp_faults();
  sink = smallest * smallest;  // underflows to zero, inexact
  sink = one / 3.0;            // inexact
  EXPECT_EQ(fault_report("anywhere"), "");
}

TEST(FpFaults, ClearingForgetsRaisedFaultsAndCheckingKeepsThem) {
  clear_fp_faults();
  sink = one / zero;
  EXPECT_NE(fault_report("first check"), "");
  EXPECT_NE(fault_report("second check"), "") << "a check must leave the flags as they were";
  clear_fp_faults();
  EXPECT_EQ(fault_report("after clearing"), "");
}

}  // namespace
}  // namespace talvenor
