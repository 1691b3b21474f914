#pragma once

#include "app/kiss_server_dialog.h"
#include "app/session_panes.h"
#include "commands/live_session.h"
#include "live/sids_report.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QLabel;

namespace zelto {

class WindowPanes;

// The window's live session: it starts and stops it, lets the window's commands hold its
// decoding, applies station settings changed while it runs, and words its state in the status
// line.
class LiveLink : public QObject, private LiveSession::Observer {
    Q_OBJECT

  public:
    // The report pane keeps this many of its most recent lines during a session.
    static constexpr int kReportLines = 20000;
    // How long the status line tells of settings applied.
    static constexpr int kNoticeMilliseconds = 60000;

    LiveLink(Session& session, WindowPanes& panes, QLabel* status,
             std::function<void(const QString&)> showMessage, QObject* parent = nullptr);
    ~LiveLink() override;

    // With forwarding on in `station`, frames of the kept length also go to its SiDS server;
    // settings that cannot forward are refused with their message before connecting.
    void start(const KissServerAddress& address, const StationSettings& station);
    // The same with frames demodulated from a sound card's input.
    void startAudio(const QString& device, const StationSettings& station);
    void stop();
    bool active() const { return live_ && live_->active(); }
    // "localhost:8100", as the status line names it.
    QString sourceName() const;

    // Settings saved while a session runs take effect at once: forwarding starts, stops or
    // goes elsewhere, and the status line says so. Frames waiting stay in the queue file.
    void applyStation(const StationSettings& station);
    // A source waiting to try again tries at once.
    void retryNow();

    // Around every other command. One that may change the store (`changesStore`) holds the
    // decoding while it runs: frames are still received, kept in the day's capture and
    // forwarded, and are decoded when it returns, with the store read afresh. What the
    // session tells meanwhile waits for the command's end.
    void commandStarts(bool changesStore);
    void commandEnded();

    // The status line.
    static QString stateText(const LiveState& state);

  signals:
    void activeChanged(bool active);

  private:
    void changed(LiveSession::Change what) override;
    void told(const std::string& text) override;
    void framesArrive(std::chrono::system_clock::time_point received) override;
    void startWith(std::unique_ptr<FrameSource> source, const StationSettings& station);
    void showState();
    void ended();
    void notice(const QString& text);

    Session& session_;
    WindowPanes& panes_;
    SessionPanes sessionPanes_;
    QLabel* status_;
    std::function<void(const QString&)> showMessage_;
    std::unique_ptr<LiveSession> live_;
    StationSettings station_;
    QTimer countdown_;
    int commandDepth_ = 0;
    bool holding_ = false;
    bool endedInCommand_ = false;
    std::vector<std::string> toldInCommand_;
    QString notice_;
    QElapsedTimer noticeAge_;
};

} // namespace zelto
