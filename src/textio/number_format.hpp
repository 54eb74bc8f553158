#pragma once

#include <cstdint>

namespace talvenor {

// The text forms of numbers in fixed-width fields. Each function writes exactly
// `width` characters at `out`, right-justified; a text longer than the field is
// written as `width` asterisks.

/// Integer field Iw.  format_integer(-12, 8) -> "     -12"
void format_integer(char* out, std::int64_t value, int width);

/// Scientific field Ew.d with scale factor 1 ("1P,E23.14"): one digit before the
/// point, d after, exponent E+dd, or +ddd beyond two digits.
///   format_scientific(2.0 / 3.0, 23, 14)  -> "   6.66666666666667E-01"
///   format_scientific(1.0e-120, 23, 14)   -> "   1.00000000000000-120"
/// Zero, of either sign, is "0.00000000000000E+00"; infinities and NaNs, which the run
/// traps before they reach a field, fill any field with asterisks.
/// Digits: the value's 17 correctly rounded significant digits, then rounded to the
/// field's d + 1 digits by the next decimal digit (ties away from zero on the decimal
/// string): 5.224623370010705 in E27.14 -> "5.22462337001071E+00".
void format_scientific(char* out, double value, int width, int digits);

/// Fixed field Fw.d: no leading zero, sign dropped when every kept digit is zero.
///   format_fixed(0.0625, 14, 3)  -> "          .063"
///   format_fixed(-0.0004, 14, 3) -> "          .000"
///   format_fixed(1.0e10, 14, 3)  -> "**************"
void format_fixed(char* out, double value, int width, int digits);

}  // namespace talvenor
