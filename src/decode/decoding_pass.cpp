#include "decode/decoding_pass.h"

#include "core/run_error.h"

namespace zelto {

void calcula(Session&, Panes&, InputFile&) { throw RunError("Not built yet"); }

} // namespace zelto
