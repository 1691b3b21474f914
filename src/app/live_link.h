#pragma once

#include "app/kiss_server_dialog.h"
#include "commands/live_decoder.h"
#include "live/kiss_client.h"
#include "live/sids_forwarder.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QLabel;

namespace zelto {

class WindowPanes;

// The window's live session: the KISS client, the decoding of what it brings into the panes,
// and the status line that tells how it stands.
class LiveLink : public QObject {
    Q_OBJECT

  public:
    // The report pane keeps this many of its most recent lines during a session.
    static constexpr int kReportLines = 20000;

    LiveLink(Session& session, WindowPanes& panes, QLabel* status,
             std::function<void(const QString&)> showMessage, QObject* parent = nullptr);
    ~LiveLink() override;

    // With forwarding on in `station`, frames of the kept length also go to its SiDS server;
    // settings that cannot forward are refused with their message before connecting.
    void start(const KissServerAddress& address, const StationSettings& station);
    void stop();
    bool active() const { return client_.state() != KissClient::State::Stopped; }

    // Around every other command: frames wait while it runs and are decoded when it
    // returns, with the store read afresh, since the command may have changed it.
    void commandStarts();
    void commandEnded();

    // The status line.
    static QString stateText(const KissServerAddress& address, KissClient::State state,
                             const QString& reason, int secondsToRetry, const LiveCounts& counts);
    static QString forwardingText(const SidsForwarder::State& state);

  signals:
    void activeChanged(bool active);

  private:
    void onReceived(const QByteArray& bytes);
    void showState();

    Session& session_;
    WindowPanes& panes_;
    QLabel* status_;
    std::function<void(const QString&)> showMessage_;
    KissClient client_;
    std::unique_ptr<LiveDecoder> decoder_;
    std::unique_ptr<SidsForwarder> forwarder_;
    KissServerAddress address_;
    QString stoppedFor_; // the failure that ended the session
    QTimer countdown_;
    int commandDepth_ = 0;
};

} // namespace zelto
