// The window's live session: frames decoded as they come, also behind its dialogs and boxes,
// station settings applied while it runs, lists without repeats.
#include "app/fetch_dialog.h"
#include "app/kiss_server_dialog.h"
#include "app/live_link.h"
#include "app/station_settings_dialog.h"
#include "live/kiss_client.h"
#include "support/http_server.h"
#include "support/kiss_capture.h"
#include "support/kiss_server.h"
#include "window_fixture.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace zelto {
namespace {

namespace fs = std::filesystem;

const std::string kId4 = test::bytesOf({0x0A, 0x1B, 0x2C, 0x3D});

// A window that connects to a KISS server of the test's own.
class LiveWindow : public test::WindowFixture {
  protected:
    LiveWindow() {
        form.kissServerDialogHook = [this](KissServerAddress& address) {
            offered = address;
            address = {QStringLiteral("127.0.0.1"), server.port()};
            return true;
        };
    }
    // The day's capture of the session, empty before its first frame.
    std::string capture() {
        for (const std::string& name : test::listFolder(nest.work()))
            if (name.starts_with("kiss-") && name.ends_with(".kss"))
                return test::readFile(nest / name);
        return {};
    }
    void setStation(std::function<void(StationSettings&)> change) {
        form.stationSettingsDialogHook = [change](StationSettings& settings) {
            change(settings);
            return true;
        };
        form.StationSettings1Click();
    }

    test::KissServer server;
    KissServerAddress offered;
};

TEST_F(LiveWindow, FramesAreReceivedKeptAndDecodedWhileADialogOrABoxWaits) {
    const auto frames =
        test::imageFrames(test::ImageKind::Thumbnail, kId4, test::smallJpeg(40, 24, 3));
    EXPECT_EQ(offered.host, QStringLiteral("localhost")); // the defaults, before any choice
    form.ConnecttoKISSserver1Click();
    ASSERT_TRUE(server.accept());
    EXPECT_TRUE(form.statusBar()->isVisible());
    server.send(test::kissStream({frames.begin(), frames.end() - 1}));
    EXPECT_TRUE(
        test::pumpEventsUntil([&] { return entries("ListBox3") == QStringList{"0A 1B 2C 3D"}; }));
    EXPECT_TRUE(
        state().endsWith(QStringLiteral(": connected, %1 frames received").arg(frames.size() - 1)))
        << state().toStdString();

    // The last frame comes while the open dialog waits for the operator.
    form.openDialogHook = [&](const QString&) {
        server.send(test::kissFrame(frames.back()));
        EXPECT_TRUE(test::pumpEventsUntil(
            [&] { return entries("ListBox2") == QStringList{"thumb 0A 1B 2C 3D.jpg"}; }));
        return QString(); // cancelled
    };
    form.OpenHEXfile1Click();
    EXPECT_TRUE(entries("ListBox3").isEmpty());

    // A description comes while a box waits for its OK: kept in the day's capture, decoded.
    const std::string text = test::kissFrame(test::textFrame(kId4, "Earth"));
    form.messageHook = [&](const QString& message) {
        messages << message;
        server.send(text);
        EXPECT_TRUE(test::pumpEventsUntil([&] {
            return capture().ends_with(text) &&
                   test::readFile(nest / "ThumbList.txt") == " 0A 1B 2C 3D = Earth\r\n";
        }));
    };
    form.Allreceivedicons1Click();
    EXPECT_EQ(messages, QStringList{" No saved icons !"});
    // The live session's lines begin with their time of reception.
    const QString last = pane<QPlainTextEdit>("Memo1")->document()->lastBlock().text();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d Text\\.   ID : 0A 1B "
                                                  "2C 3D  Earth$"))
                    .match(last)
                    .hasMatch())
        << last.toStdString();

    form.Disconnect1Click();
    EXPECT_TRUE(state().contains(
        QStringLiteral(": disconnected, %1 frames received").arg(frames.size() + 1)))
        << state().toStdString();
    EXPECT_FALSE(form.findChild<QAction*>(QStringLiteral("Disconnect1"))->isEnabled());
    // Remembered for the next start.
    EXPECT_EQ(savedKissServer().host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(savedKissServer().port, server.port());
}

TEST_F(LiveWindow, AnImageHeardAgainIsListedOnceAndReportedEachTimeItIsJoined) {
    const auto frames =
        test::imageFrames(test::ImageKind::Thumbnail, kId4, test::smallJpeg(40, 24, 5));
    const std::string icon = test::kissFrame(test::iconFrame(kId4, test::smallBmp(8, 8)));
    form.ConnecttoKISSserver1Click();
    ASSERT_TRUE(server.accept());
    for (int pass = 0; pass < 3; ++pass)
        server.send(icon + test::kissStream({frames.begin(), frames.end()}));
    EXPECT_TRUE(test::pumpEventsUntil([&] {
        return state().contains(QStringLiteral("%1 frames received").arg(3 * (frames.size() + 1)));
    })) << state().toStdString();
    EXPECT_EQ(entries("ListBox1"), QStringList{"icon0A 1B 2C 3D .bmp"});
    EXPECT_EQ(entries("ListBox2"), QStringList{"thumb 0A 1B 2C 3D.jpg"});
    int joined = 0;
    for (const std::string& line : report())
        joined += line == "Image: thumb 0A 1B 2C 3D.jpg";
    EXPECT_EQ(joined, 3);
    form.Disconnect1Click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(LiveWindow, StationSettingsChangedDuringASessionTakeEffectAtOnce) {
    test::HttpServer first(
        [](const test::HttpServer::Request&) { return test::HttpServer::Answer{}; });
    test::HttpServer second(
        [](const test::HttpServer::Request&) { return test::HttpServer::Answer{}; });
    const auto address = [](const test::HttpServer& to) {
        return "http://127.0.0.1:" + std::to_string(to.port()) + "/";
    };
    setStation([&](StationSettings& settings) {
        settings = {true, "QG9MCE", 0, 0, 99999, address(first)};
    });
    form.ConnecttoKISSserver1Click();
    ASSERT_TRUE(server.accept());
    long sent = 0;
    const auto frameGoes = [&](const std::string& description) {
        server.send(test::kissFrame(test::textFrame(kId4, description)));
        ++sent;
        return test::pumpEventsUntil([&] {
            return state().contains(QStringLiteral("%1 frames received").arg(sent)) &&
                   (!state().contains(QStringLiteral("SiDS")) ||
                    state().contains(QStringLiteral("0 waiting")));
        });
    };
    EXPECT_TRUE(frameGoes("one")) << state().toStdString();
    EXPECT_EQ(first.requests().size(), 1u);

    setStation([&](StationSettings& settings) { settings.serverUrl = address(second); });
    EXPECT_TRUE(
        state().contains(QStringLiteral("Station settings applied: forwarding now to %1 as QG9MCE")
                             .arg(QString::fromStdString(address(second)))))
        << state().toStdString();
    EXPECT_TRUE(frameGoes("two")) << state().toStdString();
    EXPECT_EQ(first.requests().size(), 1u);
    EXPECT_EQ(second.requests().size(), 1u);

    setStation([](StationSettings& settings) { settings.forwarding = false; });
    EXPECT_TRUE(state().contains(QStringLiteral(
        "Station settings applied: forwarding stopped, 0 frames wait in sids-queue.txt")))
        << state().toStdString();
    EXPECT_TRUE(frameGoes("three")) << state().toStdString();
    EXPECT_FALSE(state().contains(QStringLiteral("SiDS:")));
    EXPECT_EQ(first.requests().size() + second.requests().size(), 2u);

    setStation([](StationSettings& settings) { settings.forwarding = true; });
    EXPECT_TRUE(frameGoes("four")) << state().toStdString();
    EXPECT_EQ(second.requests().size(), 2u);
    form.Disconnect1Click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(LiveWindow, ForwardingIsRefusedWithoutItsSettingsAndSendsEachFrameReceived) {
    form.stationSettingsDialogHook = [](StationSettings& settings) {
        settings.forwarding = true; // but no callsign
        return true;
    };
    form.StationSettings1Click();
    form.ConnecttoKISSserver1Click();
    EXPECT_EQ(messages, QStringList{"Forwarding frames needs the station's callsign (File > "
                                    "Station settings...)"});
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

TEST_F(LiveWindow, TheSettingsDialogSaysWhySettingsCannotForwardAndStaysOpen) {
    StationSettings settings;
    settings.forwarding = true; // but no callsign
    QString token;
    QString said;
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        ok->click();
        said = dialog->findChild<QLabel*>(QStringLiteral("problem"))->text();
        stayedOpen = dialog->isVisible();
        dialog->findChild<QLineEdit*>(QStringLiteral("callsign"))
            ->setText(QStringLiteral("QG9MCE"));
        dialog->findChild<QSpinBox*>(QStringLiteral("norad"))->setValue(99999);
        ok->click();
    });
    ASSERT_TRUE(askForStationSettings(&form, settings, token));
    EXPECT_EQ(said, QStringLiteral("Forwarding frames needs the station's callsign"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(settings.callsign, "QG9MCE");
    EXPECT_EQ(settings.noradId, 99999);
}

// The DB's entry of a frame, which it keeps without the KISS command byte.
std::string dbEntry(std::string_view frame) {
    std::string digits = test::hexTokens(frame.substr(1));
    std::erase(digits, ' ');
    return R"({"frame": ")" + digits + R"(", "timestamp": "2026-12-09T10:56:02Z"})";
}

TEST_F(LiveWindow, FramesFetchedFromTheDbAreDecodedWithoutAWaitAndTheTokenKeptOutOfSight) {
    std::vector<std::string> frames{test::textFrame(kId4, "Earth")};
    for (const auto& f :
         test::imageFrames(test::ImageKind::Thumbnail, kId4, test::smallJpeg(40, 24, 6)))
        frames.push_back(f);
    std::string page = "[";
    for (const std::string& frame : frames)
        page += (page.size() > 1 ? "," : "") + dbEntry(frame);
    test::HttpServer db([&](const test::HttpServer::Request&) {
        return test::HttpServer::Answer{200, page + "]"};
    });
    const QString token = QStringLiteral("s3cret-t0ken");
    saveDbToken(token);
    form.fetchDialogHook = [&](FetchChoice& choice) {
        choice.noradId = 99999;
        choice.server = QStringLiteral("http://127.0.0.1:%1").arg(db.port());
        return true;
    };
    form.FetchframesfromSatNOGSDB1Click();
    auto* fetchState = pane<QLabel>("FetchState");
    EXPECT_TRUE(fetchState->isVisible());
    EXPECT_TRUE(test::pumpEventsUntil(
        [&] { return entries("ListBox2") == QStringList{"thumb 0A 1B 2C 3D.jpg"}; }));
    EXPECT_TRUE(fetchState->text().endsWith(
        QStringLiteral(": %1 frames in 1 page from the SatNOGS DB").arg(frames.size())))
        << fetchState->text().toStdString();
    ASSERT_EQ(db.requests().size(), 1u);
    EXPECT_EQ(db.requests()[0].authorization, "Token " + token.toStdString());
    for (const std::string& entry : test::treeOf(nest.work())) {
        const fs::path file = nest / entry.substr(0, entry.rfind(' '));
        if (fs::is_regular_file(file)) {
            EXPECT_EQ(test::readFile(file).find(token.toStdString()), std::string::npos) << entry;
        }
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
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
    // A sound card is listened to.
    LiveState audio;
    audio.sourceKind = "Audio";
    audio.sourceName = "USB Audio";
    audio.source = {SourceState::Phase::Connected, {}, 0, "level -18 dBFS"};
    audio.counts.frames = 123;
    EXPECT_EQ(LiveLink::stateText(audio),
              QStringLiteral("Audio USB Audio: listening, level -18 dBFS, 123 frames"));
    EXPECT_EQ(KissClient::retryDelaySeconds(1), 1);
    EXPECT_EQ(KissClient::retryDelaySeconds(2), 2);
    EXPECT_EQ(KissClient::retryDelaySeconds(6), 32);
    EXPECT_EQ(KissClient::retryDelaySeconds(7), 60);
    EXPECT_EQ(KissClient::retryDelaySeconds(50), 60);
}

} // namespace
} // namespace zelto
