// The KISS client against a loopback server: the pauses between tries, keepalive and silence.

#include "live/kiss_client.h"

#include "support/core_app.h"
#include "support/kiss_server.h"
#include "support/test_support.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace zelto;
using namespace zelto::test;

namespace {

int socketOption(int fd, int level, int name) {
    int value = -1;
    socklen_t length = sizeof value;
    ::getsockopt(fd, level, name, &value, &length);
    return value;
}

} // namespace

TEST(KissClient, AServerThatClosesAtOnceWaitsLongerEachTimeAndASilentOneIsLost) {
    coreApp();
    KissServer server;
    KissClient client(KissClient::Timing{10, 1000, 50});
    client.setSilenceLimit(std::chrono::milliseconds(200));
    std::vector<int> pauses;
    int lost = 0;
    QObject::connect(&client, &KissClient::stateChanged, [&] {
        if (client.state() == KissClient::State::Waiting)
            pauses.push_back(client.retryPauseMilliseconds());
    });
    QObject::connect(&client, &KissClient::connectionLost, [&] { ++lost; });
    QByteArray received;
    QObject::connect(&client, &KissClient::received, [&](const QByteArray& b) { received += b; });
    client.start(QStringLiteral("127.0.0.1"), server.port());
    // Each connection: up, then closed by the server at once, after a byte, or never.
    const auto connection = [&](std::string_view bytes, bool close) {
        const std::size_t before = pauses.size();
        if (!pumpEventsUntil([&] { return client.state() == KissClient::State::Connected; }) ||
            !server.accept(std::chrono::seconds(5)))
            return false;
        server.send(bytes);
        if (!pumpEventsUntil([&] { return received.size() >= qsizetype(bytes.size()); }))
            return false;
        received.clear();
        if (close)
            server.drop();
        return pumpEventsUntil([&] { return pauses.size() > before; });
    };
    for (const std::string_view bytes : {"", "", "", "", "\xC0", ""})
        ASSERT_TRUE(connection(bytes, true));
    // Back to the first pause only after a connection that brought data.
    EXPECT_EQ(pauses, (std::vector<int>{10, 20, 40, 80, 10, 20}));
    // A server that lost power says nothing: keepalive asks, and silence counts as lost.
    ASSERT_TRUE(pumpEventsUntil([&] { return client.state() == KissClient::State::Connected; }));
    for (QTcpSocket* socket : client.findChildren<QTcpSocket*>()) {
        if (socket->state() != QAbstractSocket::ConnectedState)
            continue;
        const int fd = static_cast<int>(socket->socketDescriptor());
        EXPECT_EQ(socketOption(fd, SOL_SOCKET, SO_KEEPALIVE), 1);
        EXPECT_LE(socketOption(fd, IPPROTO_TCP, TCP_KEEPIDLE) +
                      socketOption(fd, IPPROTO_TCP, TCP_KEEPINTVL) *
                          socketOption(fd, IPPROTO_TCP, TCP_KEEPCNT),
                  90);
    }
    ASSERT_TRUE(connection("", false));
    EXPECT_EQ(client.lastError().toStdString(), "no data for 0.2 s");
    EXPECT_EQ(pauses.back(), 10); // it stayed up longer than the steady time
    EXPECT_EQ(lost, 7);
}
