#include "live/sids_forwarder.h"
#include "live/sids_queue.h"
#include "live/sids_report.h"

#include "support/core_app.h"
#include "support/http_server.h"
#include "support/small_disk.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace zelto;
using namespace zelto::test;

namespace {

// 2026-12-09 10:56:02.800 UTC.
const auto kReceived =
    std::chrono::system_clock::from_time_t(1796813762) + std::chrono::milliseconds(800);

StationSettings station(std::uint16_t port) {
    StationSettings settings;
    settings.forwarding = true;
    settings.callsign = "QG9MCE";
    settings.noradId = 99999;
    settings.latitude = 45.678;
    settings.longitude = 12.345;
    settings.serverUrl = "http://127.0.0.1:" + std::to_string(port) + "/api/telemetry/";
    return settings;
}

const SidsForwarder::Timing kQuick{300, 20, 100};

// The frame field of each request body; empty without one.
std::string frameOf(const std::string& body) {
    const std::size_t at = body.find("&frame=");
    return at == std::string::npos ? "" : body.substr(at + 7, body.find('&', at + 7) - at - 7);
}

} // namespace

TEST(SidsReport, FieldsAreEncodedSoThatNoCallsignCanBreakTheForm) {
    StationSettings settings = station(80);
    settings.callsign = "PY2 &X=1";
    settings.latitude = -23.5506;
    settings.longitude = -46.6333;
    EXPECT_EQ(sidsFormBody(settings, bytesOf({0x82, 0x05, 0xAB, 0x00}), kReceived, "1.3"),
              "noradID=99999&source=PY2+%26X%3D1&timestamp=2026-12-09T10%3A56%3A02.800Z"
              "&frame=8205AB00&locator=longLat&longitude=46.633W&latitude=23.551S&version=1.3");
    EXPECT_EQ(sidsTimestamp(std::chrono::system_clock::from_time_t(0)), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(sidsLongitude(12.345), "12.345E");
    EXPECT_EQ(sidsLatitude(45.678), "45.678N");

    EXPECT_EQ(stationSettingsProblem(settings), "");
    settings.callsign.clear();
    EXPECT_EQ(stationSettingsProblem(settings), "Forwarding frames needs the station's callsign");
    settings.callsign = "QG9MCE";
    settings.noradId = 0;
    EXPECT_EQ(stationSettingsProblem(settings), "Forwarding frames needs the satellite's NORAD ID");
    settings.noradId = 99999;
    settings.callsign = std::string(44, 'Q') + "\xC3\xA9"; // 45 characters, 46 bytes
    EXPECT_EQ(stationSettingsProblem(settings), "");
    settings.callsign += "X";
    EXPECT_EQ(stationSettingsProblem(settings),
              "The station's callsign has 46 characters, more than the 45 the SatNOGS DB keeps");
}

TEST(SidsQueue, WaitingFramesOutliveARestartAndFramesDoneAreNeverTakenAgain) {
    WorkFolder work;
    const fs::path file = work / "sids-queue.txt";
    {
        SidsQueue queue(file);
        for (const std::string body : {"a=1", "b=2", "c=3"})
            queue.push(body);
        queue.markFront('S');
        EXPECT_EQ(queue.front(), "b=2");
    }
    // A kill in the middle of an append leaves a line without its end.
    writeFile(file, readFile(file) + "W d=");
    SidsQueue again(file);
    EXPECT_EQ(again.waiting(), 2);
    EXPECT_EQ(readFile(file), "W b=2\nW c=3\n");
    again.markFront('D');
    EXPECT_EQ(again.front(), "c=3");
    again.markFront('S');
    EXPECT_EQ(again.front(), std::nullopt);
    EXPECT_EQ(readFile(file), "");
}

TEST(SidsForwarder, EveryFrameArrivesOnceAndInOrderThroughErrorsStallsAndRefusals) {
    WorkFolder work;
    std::atomic<int> count{0};
    std::vector<std::string> accepted; // frames answered 200, in order (server thread only)
    std::mutex mutex;
    HttpServer server([&](const HttpServer::Request& request) -> HttpServer::Answer {
        const int n = ++count;
        if (n <= 2)
            return {500, "busy"};
        if (n == 3)
            return {200, "", true}; // no answer in time
        if (frameOf(request.body) == "0BAD")
            return {400, "frame: not a valid frame"};
        std::lock_guard lock(mutex);
        accepted.push_back(frameOf(request.body));
        return {201, "{}"};
    });
    coreApp();
    SidsForwarder forwarder(station(server.port()), work / "sids-queue.txt", false, kQuick);
    std::vector<QString> told;
    QObject::connect(&forwarder, &SidsForwarder::told,
                     [&](const QString& t) { told.push_back(t); });
    for (const std::string& frame :
         {bytesOf({0, 0x01}), bytesOf({0, 0x02}), bytesOf({0, 0x0B, 0xAD}), bytesOf({0, 0x03}),
          bytesOf({0, 0x04})})
        forwarder.forward(frame, kReceived);
    ASSERT_TRUE(pumpEventsUntil([&] { return forwarder.state().waiting == 0; }));

    std::lock_guard lock(mutex);
    EXPECT_EQ(accepted, (std::vector<std::string>{"01", "02", "03", "04"}));
    EXPECT_EQ(forwarder.state().sent, 4);
    EXPECT_TRUE(forwarder.state().lastError.isEmpty());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].toStdString(),
              "frame refused by the server (400 frame: not a valid frame), dropped");
    const auto requests = server.requests();
    EXPECT_EQ(requests.front().method, "POST");
    EXPECT_EQ(requests.front().path, "/api/telemetry/");
    EXPECT_EQ(requests.front().contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(requests.front().body,
              "noradID=99999&source=QG9MCE&timestamp=2026-12-09T10%3A56%3A02.800Z&frame=01"
              "&locator=longLat&longitude=12.345E&latitude=45.678N&version=1.3");
    EXPECT_EQ(readFile(work / "sids-queue.txt"), "");
}

TEST(SidsForwarder, ARestartInTheMiddleOfAnOutageSendsTheQueue) {
    coreApp();
    WorkFolder work;
    HttpServer down([](const HttpServer::Request&) { return HttpServer::Answer{503, "down"}; });
    {
        SidsForwarder forwarder(station(down.port()), work / "sids-queue.txt", false, kQuick);
        for (const int b : {1, 2, 3})
            forwarder.forward(bytesOf({0, b}), kReceived);
        ASSERT_TRUE(pumpEventsUntil([&] { return down.requests().size() >= 2; }));
        EXPECT_EQ(forwarder.state().waiting, 3);
        EXPECT_EQ(forwarder.state().lastError.toStdString(), "HTTP 503 Status");
    }
    HttpServer up([](const HttpServer::Request&) { return HttpServer::Answer{200, ""}; });
    SidsForwarder restarted(station(up.port()), work / "sids-queue.txt", false, kQuick);
    ASSERT_TRUE(pumpEventsUntil([&] { return restarted.state().waiting == 0; }));
    std::vector<std::string> frames;
    for (const auto& request : up.requests())
        frames.push_back(frameOf(request.body));
    EXPECT_EQ(frames, (std::vector<std::string>{"01", "02", "03"}));
}

TEST(SidsForwarder, AFrameIsPostedAgainOnlyWhereItsOwnServerRedirectsIt) {
    coreApp();
    WorkFolder work;
    HttpServer elsewhere([](const HttpServer::Request&) { return HttpServer::Answer{200, ""}; });
    std::string here;
    HttpServer server([&](const HttpServer::Request& request) -> HttpServer::Answer {
        const auto to = [](int status, const std::string& location) {
            return HttpServer::Answer{status, "", false, "Location: " + location + "\r\n"};
        };
        if (request.path == "/old/")
            return to(308, here + "/api/telemetry");
        if (request.path == "/api/telemetry")
            return to(301, "/api/telemetry/"); // as the SatNOGS DB answers without the slash
        if (request.path == "/away/")
            return to(301, "http://localhost:" + std::to_string(elsewhere.port()) + "/t/");
        if (request.path == "/loop/")
            return to(307, "/loop/");
        return {201, "{}"};
    });
    here = "http://127.0.0.1:" + std::to_string(server.port());
    StationSettings settings = station(server.port());
    settings.serverUrl = here + "/old/";
    {
        SidsForwarder forwarder(settings, work / "sids-queue.txt", false, kQuick);
        std::vector<QString> told;
        QObject::connect(&forwarder, &SidsForwarder::told,
                         [&](const QString& t) { told.push_back(t); });
        forwarder.forward(bytesOf({0, 1}), kReceived);
        ASSERT_TRUE(pumpEventsUntil([&] { return forwarder.state().sent == 1; }));
        forwarder.forward(bytesOf({0, 2}), kReceived);
        ASSERT_TRUE(pumpEventsUntil([&] { return forwarder.state().sent == 2; }));
        std::vector<std::string> seen;
        for (const auto& request : server.requests())
            seen.push_back(request.method + " " + request.path + " " + frameOf(request.body));
        EXPECT_EQ(seen,
                  (std::vector<std::string>{"POST /old/ 01", "POST /api/telemetry 01",
                                            "POST /api/telemetry/ 01", "POST /api/telemetry/ 02"}));
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].toStdString(), "the server's address has moved to " + here +
                                             "/api/telemetry/ (from " + here +
                                             "/old/): frames go there for the rest of this run");
    }
    // Another host, or a fourth redirect: the frame waits.
    for (const std::string path : {"/away/", "/loop/"}) {
        settings.serverUrl = here + path;
        SidsForwarder forwarder(settings, work / (path.substr(1, 4) + ".txt"), false, kQuick);
        forwarder.forward(bytesOf({0, 3}), kReceived);
        ASSERT_TRUE(pumpEventsUntil(
            [&] { return !forwarder.state().lastError.isEmpty() || forwarder.state().sent > 0; }));
        EXPECT_EQ(forwarder.state().sent, 0);
        EXPECT_EQ(forwarder.state().waiting, 1);
        const std::string to = path == "/away/"
                                   ? "http://localhost:" + std::to_string(elsewhere.port()) + "/t/"
                                   : here + "/loop/ (more than 3 redirects)";
        EXPECT_EQ(forwarder.state().lastError.toStdString(),
                  "HTTP 30" + std::string(path == "/away/" ? "1" : "7") + ": " + here + path +
                      " sends the frame on to " + to + ", which is not followed");
    }
    EXPECT_TRUE(elsewhere.requests().empty());
}

TEST(SidsForwarder, AnAnswerIsReadToItsFirst64KiBAndEndsWithinTheAnswerTime) {
    coreApp();
    WorkFolder work;
    std::atomic<int> trickles{0};
    HttpServer server([&](const HttpServer::Request& request) {
        HttpServer::Answer answer{200, ""};
        if (frameOf(request.body) == "01")
            answer.longBody = std::size_t(128) << 20;
        if (frameOf(request.body) == "02" && ++trickles == 1) {
            answer.longBody = 1 << 20; // a byte every 10 ms: far more than the answer time
            answer.chunk = 1;
            answer.pause = std::chrono::milliseconds(10);
        }
        return answer;
    });
    SidsForwarder forwarder(station(server.port()), work / "sids-queue.txt", false, kQuick);
    std::vector<std::string> errors;
    QObject::connect(&forwarder, &SidsForwarder::stateChanged, [&] {
        if (!forwarder.state().lastError.isEmpty())
            errors.push_back(forwarder.state().lastError.toStdString());
    });
    forwarder.forward(bytesOf({0, 1}), kReceived);
    ASSERT_TRUE(pumpEventsUntil([&] { return forwarder.state().sent == 1; }));
    // The kernel's buffers hold some megabytes; the rest of the answer was never asked for.
    EXPECT_LT(server.longBodyBytesSent(), std::size_t(32) << 20);
    forwarder.forward(bytesOf({0, 2}), kReceived);
    ASSERT_TRUE(pumpEventsUntil([&] { return forwarder.state().sent == 2; }));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front(), "no answer in 0.3 s");
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST(SidsQueue, TheCountIsWhatTheFileHoldsAndAWholeLastLineNeedsNoLineEnd) {
    WorkFolder work;
    const fs::path file = work / "sids-queue.txt";
    const std::string whole = "noradID=1&source=X&frame=01&version=1.3";
    {
        SidsQueue queue(file);
        for (const std::string body : {"a=1", "b=2"})
            queue.push(body);
        writeFile(file, ""); // emptied by hand
        EXPECT_EQ(queue.front(), std::nullopt);
        EXPECT_EQ(queue.waiting(), 0);
        writeFile(file, "W " + whole);
    }
    SidsQueue again(file);
    EXPECT_EQ(again.waiting(), 1);
    EXPECT_EQ(again.front(), whole);
    EXPECT_EQ(readFile(file), "W " + whole + "\n");
}

TEST(SidsForwarder, AQueueThatCannotBeWrittenHoldsForwardingBackAndNoFrameGoesTwice) {
    coreApp();
    WorkFolder work;
    fs::create_directory(work / "disk");
    SmallDisk disk(work / "disk", 1 << 20, 100);
    if (!disk.available())
        GTEST_SKIP() << disk.why();
    HttpServer server([&](const HttpServer::Request& request) {
        if (frameOf(request.body) == "01")
            disk.setReadOnly(true); // taken, but the queue can no longer say so
        return HttpServer::Answer{200, ""};
    });
    const fs::path file = work / "disk" / "sids-queue.txt";
    SidsForwarder forwarder(station(server.port()), file, false, kQuick);
    int changes = 0;
    QObject::connect(&forwarder, &SidsForwarder::stateChanged, [&] { ++changes; });
    forwarder.forward(bytesOf({0, 1}), kReceived);
    forwarder.forward(bytesOf({0, 2}), kReceived);
    ASSERT_TRUE(pumpEventsUntil([&] { return forwarder.state().lastError.contains("read-only"); }))
        << server.requests().size() << " requests";
    const int seen = changes;
    ASSERT_TRUE(pumpEventsUntil([&] { return changes >= seen + 3; })); // tries on the back-off
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(forwarder.state().sent, 0);
    EXPECT_EQ(forwarder.state().waiting, 2);
    EXPECT_EQ(forwarder.state().lastError.toStdString(),
              "forwarding waits until the queue can be written: " + file.string() +
                  ": File access denied: the file system is read-only");

    ASSERT_TRUE(disk.setReadOnly(false));
    ASSERT_TRUE(pumpEventsUntil([&] { return forwarder.state().waiting == 0; }));
    std::vector<std::string> frames;
    for (const auto& request : server.requests())
        frames.push_back(frameOf(request.body));
    EXPECT_EQ(frames, (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(forwarder.state().sent, 2);
    EXPECT_EQ(readFile(file), "");
}
