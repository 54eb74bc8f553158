#pragma once

#include "record/variaveis.hpp"
#include "textio/text_file.hpp"

namespace talvenor {

/// The iteration log (caso + ".itn"): a header line, then one record per iteration
/// with its number and the three numerical variables of interest:
///   " iteração  u(1/2)  ..."  then  "       1   5.00000000000000E-01 ..."
/// Created, header written, when constructed; each record written by `write`.
class IterationLog {
 public:
  explicit IterationLog(const CaseData& data);
  /// The record of the iteration `now` holds: now.it and its u(N/2), mean and slope.
  void write(const CaseData& now);
  /// Closes the log; a failure to write it is an Error (see TextFile::close).
  void close() { file_.close(); }

 private:
  TextFile file_;
};

}  // namespace talvenor
