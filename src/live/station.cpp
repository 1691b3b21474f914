// What every live session is given: the day's capture, forwarding, the decoder and store.
#include "live/station.h"

#include "commands/day_capture_sink.h"
#include "commands/decoder_sink.h"
#include "core/run_error.h"
#include "live/kiss_server_sink.h"
#include "live/sids_queue.h"
#include "live/sids_sink.h"

namespace zelto {

std::unique_ptr<FrameSink> forwardingSink(Session& session, const StationSettings& station,
                                          bool dryRun) {
    return std::make_unique<SidsSink>(station, session.workFolder / kSidsQueueName, dryRun);
}

void addStationSinks(LiveSession& live, Session& session, Panes& panes,
                     const StationSettings& station, bool dryRun, const KissServe& serve) {
    // Made first, so that a failure leaves the session without any.
    std::unique_ptr<FrameSink> forwarding;
    if (station.forwarding)
        forwarding = forwardingSink(session, station, dryRun);
    std::unique_ptr<KissServerSink> server;
    if (serve.port != 0)
        server = std::make_unique<KissServerSink>(serve.address, serve.port);
    live.addSink(std::make_unique<DayCaptureSink>(session));
    if (forwarding)
        live.addSink(std::move(forwarding));
    if (server)
        live.addSink(std::move(server));
    live.addSink(std::make_unique<DecoderSink>(session, panes));
}

} // namespace zelto
