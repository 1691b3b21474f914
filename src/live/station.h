#pragma once

#include "commands/live_session.h"
#include "core/panes.h"
#include "core/session.h"
#include "live/sids_report.h"

#include <QString>

#include <memory>

namespace zelto {

// Where a station serves its frames to other programs as a KISS TCP server; port 0: it does not.
struct KissServe {
    QString address = QStringLiteral("127.0.0.1");
    quint16 port = 0;
};

// The forwarding sink of `station`, for a session whose settings change while it runs.
// Throws RunError when the queue file cannot be opened.
std::unique_ptr<FrameSink> forwardingSink(Session& session, const StationSettings& station,
                                          bool dryRun);

// The sinks of a station's live session, in the order frames reach them: the day's capture,
// forwarding when it is on in `station` (with `dryRun`, each request only told), the KISS
// server when `serve` names a port, then the decoder and store. Throws RunError when the
// queue file cannot be opened or the port cannot be listened on.
void addStationSinks(LiveSession& live, Session& session, Panes& panes,
                     const StationSettings& station, bool dryRun, const KissServe& serve = {});

} // namespace zelto
