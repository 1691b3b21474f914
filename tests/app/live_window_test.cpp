#include "app/kiss_server_dialog.h"
#include "app/list_box.h"
#include "app/live_link.h"
#include "app/main_window.h"
#include "app/station_settings_dialog.h"
#include "live/kiss_client.h"
#include "support/http_server.h"
#include "support/kiss_capture.h"
#include "support/kiss_server.h"
#include "support/test_support.h"
#include "support/widget_app.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zelto {
namespace {

namespace fs = std::filesystem;

const std::string kId4 = test::bytesOf({0x0A, 0x1B, 0x2C, 0x3D});

// Runs the event loop until the condition holds; false after twenty seconds.

class LiveWindow : public test::WidgetTest {
  protected:
    LiveWindow() {
        // The settings of these tests stay in their own folder.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path().c_str());
        form.messageHook = [this](const QString& text) { messages << text; };
        form.kissServerDialogHook = [this](KissServerAddress& address) {
            offered = address;
            address = {QStringLiteral("127.0.0.1"), server.port()};
            return true;
        };
        form.show();
    }
    ~LiveWindow() override { form.hide(); }

    QStringList entries(const char* name) {
        QStringList texts;
        auto* list = form.findChild<ListBox*>(QString::fromLatin1(name));
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    QString state() { return form.findChild<QLabel*>(QStringLiteral("LiveState"))->text(); }

    test::WorkFolder folder;
    test::KissServer server;
    TForm1 form;
    QStringList messages;
    KissServerAddress offered;
};

TEST_F(LiveWindow, FramesThatArriveDuringACommandAreDecodedWhenItReturns) {
    const auto frames =
        test::imageFrames(test::ImageKind::Thumbnail, kId4, test::smallJpeg(40, 24, 3));
    std::atomic<int> step{0};
    std::thread serve([&] {
        if (!server.accept())
            return;
        server.send(test::kissStream({frames.begin(), frames.end() - 1}));
        step = 1;
        while (step < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        server.send(test::kissFrame(frames.back()));
        step = 3;
        while (step < 4)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    EXPECT_EQ(offered.host, QStringLiteral("localhost")); // the defaults, before any choice
    form.ConnecttoKISSserver1Click();
    EXPECT_TRUE(form.statusBar()->isVisible());
    EXPECT_TRUE(
        test::pumpEventsUntil([&] { return entries("ListBox3") == QStringList{"0A 1B 2C 3D"}; }));
    EXPECT_TRUE(
        state().endsWith(QStringLiteral(": connected, %1 frames received").arg(frames.size() - 1)))
        << state().toStdString();

    // The last frame comes while an open dialog holds a command.
    form.openDialogHook = [&](const QString&) {
        step = 2;
        test::pumpEventsUntil([&] { return step == 3; });
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_TRUE(entries("ListBox2").isEmpty());
        return QString(); // cancelled
    };
    form.OpenHEXfile1Click();
    EXPECT_TRUE(test::pumpEventsUntil(
        [&] { return entries("ListBox2") == QStringList{"thumb 0A 1B 2C 3D.jpg"}; }));
    EXPECT_TRUE(entries("ListBox3").isEmpty());

    form.Disconnect1Click();
    step = 4;
    serve.join();
    EXPECT_TRUE(
        state().contains(QStringLiteral(": disconnected, %1 frames received").arg(frames.size())))
        << state().toStdString();
    EXPECT_FALSE(form.findChild<QAction*>(QStringLiteral("Disconnect1"))->isEnabled());
    // Remembered for the next start.
    EXPECT_EQ(savedKissServer().host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(savedKissServer().port, server.port());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(LiveWindow, ForwardingIsRefusedWithoutItsSettingsAndSendsEachFrameReceived) {
    form.stationSettingsDialogHook = [](StationSettings& settings) {
        settings.forwarding = true; // but no callsign
        return true;
    };
    form.StationSettings1Click();
    form.ConnecttoKISSserver1Click();
    EXPECT_EQ(messages, QStringList{"Forwarding frames needs the station's callsign"});
    EXPECT_FALSE(form.statusBar()->isVisible());

    test::HttpServer sids(
        [](const test::HttpServer::Request&) { return test::HttpServer::Answer{}; });
    form.stationSettingsDialogHook = [&](StationSettings& settings) {
        settings.callsign = "QG9MCE";
        settings.noradId = 99999;
        settings.serverUrl = "http://127.0.0.1:" + std::to_string(sids.port()) + "/";
        return true;
    };
    form.StationSettings1Click();
    EXPECT_EQ(savedStationSettings().callsign, "QG9MCE");
    std::thread serve([&] {
        if (server.accept())
            server.send(test::kissFrame(test::textFrame(kId4, "Earth")));
    });
    form.ConnecttoKISSserver1Click();
    EXPECT_TRUE(test::pumpEventsUntil([&] {
        return state().endsWith(QStringLiteral("SiDS: 1 sent, 0 waiting"));
    })) << state().toStdString();
    serve.join();
    form.Disconnect1Click();
    ASSERT_EQ(sids.requests().size(), 1u);
    EXPECT_NE(sids.requests()[0].body.find("&source=QG9MCE&"), std::string::npos);
}

TEST(LiveState, TellsHowTheSessionStands) {
    LiveState state;
    state.sourceKind = "KISS";
    state.sourceName = "localhost:8100";
    state.source.phase = SourceState::Phase::Connecting;
    state.counts.frames = 12;
    EXPECT_EQ(LiveLink::stateText(state),
              QStringLiteral("KISS localhost:8100: connecting..., 12 frames received"));
    state.counts.cut = 1;
    state.counts.failed = 2;
    state.source = {SourceState::Phase::Waiting, "Connection refused", 8, {}};
    EXPECT_EQ(LiveLink::stateText(state),
              QStringLiteral("KISS localhost:8100: lost (Connection refused), next try in 8 s, "
                             "12 frames received, 1 cut off, 2 not decoded"));
    state.source = {};
    state.stoppedFor = "Disk full";
    // The program's own text is Windows-1252, as the server's reason was turned into it.
    state.forwarding = ForwardingState{false, 3, 1, "HTTP 503 Indisponible \xE0 l'instant", 4};
    EXPECT_EQ(LiveLink::stateText(state),
              QString::fromUtf8("KISS localhost:8100: stopped: Disk full, 12 frames received, 1 "
                                "cut off, 2 not decoded; SiDS: 3 sent, 1 waiting (HTTP 503 "
                                "Indisponible \u00e0 l'instant, next try in 4 s)"));
    EXPECT_EQ(KissClient::retryDelaySeconds(1), 1);
    EXPECT_EQ(KissClient::retryDelaySeconds(2), 2);
    EXPECT_EQ(KissClient::retryDelaySeconds(6), 32);
    EXPECT_EQ(KissClient::retryDelaySeconds(7), 60);
    EXPECT_EQ(KissClient::retryDelaySeconds(50), 60);
}

} // namespace
} // namespace zelto
