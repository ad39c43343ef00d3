// The printout as a PDF file, written whole or not at all.
#pragma once

#include <string>

#include "print/print_job.h"

namespace zelkor {

// Prints the job into a temporary file beside path and gives it the final
// name once it is complete. Returns the page count, or -1 with *reason set
// (nothing is left under path then).
int WritePrintoutPdf(const PrintInputs& inputs, const std::string& path, std::string* reason);

}  // namespace zelkor
