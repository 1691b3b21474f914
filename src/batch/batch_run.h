#pragma once

#include "batch/batch_options.h"

namespace zelto {

class BufferedOutput;
class ProgressLine;

// Prepares the current directory as the working folder and runs one open command per
// file, then Puzzles > Decode when asked, printing each command's report on `out` and each
// failure on standard error. Returns the exit status: 0 when every command completed,
// 1 when one failed or the working folder could not be prepared.
int runBatch(const BatchOptions& options, BufferedOutput& out, ProgressLine& progress);

} // namespace zelto
