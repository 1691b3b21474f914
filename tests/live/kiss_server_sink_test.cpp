// The KISS server that hands a live session's frames to other programs.
#include "live/kiss_server_sink.h"

#include "support/core_app.h"
#include "support/test_support.h"

#include <QTcpSocket>

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

TEST(KissServerSink, EveryClientGetsTheFramesAndOneThatStopsReadingIsDropped) {
    coreApp();
    KissServerSink sink(QStringLiteral("127.0.0.1"), 0);
    TellingHost host;
    sink.attach(host);
    QTcpSocket reader, stuck;
    reader.connectToHost(QStringLiteral("127.0.0.1"), sink.port());
    stuck.connectToHost(QStringLiteral("127.0.0.1"), sink.port());
    ASSERT_TRUE(pumpEventsUntil([&] { return sink.clients() == 2; }));
    stuck.setReadBufferSize(1); // it reads no more than a byte: the rest waits in the server

    const std::string block = std::string("\xC0\x00", 2) + std::string(60000, 'x') + "\xC0";
    const std::vector<std::string> none;
    QByteArray received;
    const int blocks = 400; // 24 MB: more than any kernel keeps for a client that does not read
    for (int i = 0; i < blocks; ++i) {
        sink.take({std::chrono::system_clock::now(), block, {}, none});
        pumpEventsUntil([&] {
            received += reader.readAll();
            return received.size() >= static_cast<qsizetype>((i + 1) * block.size());
        });
    }
    EXPECT_EQ(received.size(), static_cast<qsizetype>(blocks * block.size()));
    EXPECT_EQ(received.left(static_cast<qsizetype>(block.size())),
              QByteArray(block.data(), static_cast<qsizetype>(block.size())));
    EXPECT_EQ(sink.clients(), 1);
    ASSERT_EQ(host.told.size(), 3u);
    EXPECT_NE(host.told[2].find("was dropped: it did not keep up"), std::string::npos)
        << host.told[2];

    // A port taken is refused, naming it.
    try {
        KissServerSink again(QStringLiteral("127.0.0.1"), sink.port());
        FAIL() << "no failure";
    } catch (const std::exception& error) {
        EXPECT_EQ(std::string(error.what()).rfind("KISS server on 127.0.0.1:", 0), 0u)
            << error.what();
    }
}
