#pragma once

#include "core/session.h"
#include "live/sids_report.h"

#include <cstdint>
#include <string>

namespace zelto {

class BufferedOutput;

// Zeltodecoder-batch --kiss: decodes live from a KISS TCP server into the prepared working
// folder until SIGINT or SIGTERM, then decodes what it holds and returns 0; returns 1 when it
// stopped because a file could not be written. Report lines go to `out`; connection changes
// and frame errors to standard error, as "HOST:PORT: message". With forwarding on in
// `station`, each frame of the kept length is forwarded to its SiDS server (or, with
// `dryRun`, each request shown on standard error). A connection that brings nothing for
// `silenceMinutes` (0: no limit) counts as lost.
int runLiveSession(Session& session, const std::string& host, std::uint16_t port,
                   const StationSettings& station, bool dryRun, int silenceMinutes,
                   BufferedOutput& out);

} // namespace zelto
