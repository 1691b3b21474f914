#pragma once

#include "app/kiss_server_dialog.h"
#include "commands/live_session.h"
#include "live/sids_report.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QLabel;

namespace zelto {

class WindowPanes;

// The window's live session: it starts and stops it, lets the window's commands hold it, and
// words its state in the status line.
class LiveLink : public QObject, private LiveSession::Observer {
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
    bool active() const { return live_ && live_->active(); }

    // Around every other command: frames wait while it runs and are decoded when it
    // returns, with the store read afresh, since the command may have changed it.
    void commandStarts();
    void commandEnded();

    // The status line.
    static QString stateText(const LiveState& state);

  signals:
    void activeChanged(bool active);

  private:
    void changed(LiveSession::Change what) override;
    void told(const std::string& text) override;
    void framesArrive() override;
    void showState();

    Session& session_;
    WindowPanes& panes_;
    QLabel* status_;
    std::function<void(const QString&)> showMessage_;
    std::unique_ptr<LiveSession> live_;
    QTimer countdown_;
    int commandDepth_ = 0;
};

} // namespace zelto
