#pragma once
// What the reader and the writer share for listing a log's problems.
#include <vector>

#include "conversion/conversion.h"

namespace quillon {

// Every value of the kept records that is no whole number, in record order.
void check_values(const ContactLog& log, std::vector<LogProblem>& problems);

}  // namespace quillon
