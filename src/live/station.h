#pragma once

#include "commands/live_session.h"
#include "core/panes.h"
#include "core/session.h"
#include "live/sids_report.h"

#include <memory>

namespace zelto {

// The sinks of a station's live session, in the order frames reach them: the day's capture,
// forwarding when it is on in `station` (with `dryRun`, each request only told), then the
// decoder and store. Throws RunError when the queue file cannot be opened.
// The forwarding sink of `station`, for a session whose settings change while it runs.
// Throws RunError when the queue file cannot be opened.
std::unique_ptr<FrameSink> forwardingSink(Session& session, const StationSettings& station,
                                          bool dryRun);

void addStationSinks(LiveSession& live, Session& session, Panes& panes,
                     const StationSettings& station, bool dryRun);

} // namespace zelto
