// Forwarding as a sink of the live session: the server's words reach the operator as the
// program's own text.
#include "live/sids_sink.h"

#include "support/core_app.h"
#include "support/http_server.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

struct TellingHost : SinkHost {
    std::vector<std::string> told;
    void tell(const std::string& text) override { told.push_back(text); }
    void sinkChanged() override {}
};

} // namespace

TEST(SidsSink, AServersReasonIsToldInTheProgramsOwnText) {
    coreApp();
    HttpServer server([](const HttpServer::Request&) -> HttpServer::Answer {
        return {400, "Trame refus\xC3\xA9"
                     "e"}; // UTF-8, as servers answer
    });
    WorkFolder work;
    StationSettings station;
    station.forwarding = true;
    station.callsign = "QG9MCE";
    station.noradId = 99999;
    station.serverUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/api/telemetry/";
    SidsSink sink(station, work / "sids-queue.txt", false);
    TellingHost host;
    sink.attach(host);
    const std::vector<std::string> kept{bytesOf({0x00, 0x82, 0x05, 0xAB})};
    sink.take({std::chrono::system_clock::now(), {}, {}, kept});
    ASSERT_TRUE(pumpEventsUntil([&] { return !host.told.empty(); }));
    // Windows-1252, as the report pane and the files hold text.
    EXPECT_EQ(host.told[0], "SiDS: frame refused by the server (400 Trame refus\xE9"
                            "e), dropped");
    LiveState state;
    sink.describe(state);
    ASSERT_TRUE(state.forwarding);
    EXPECT_EQ(state.forwarding->waiting, 0);
}
