#pragma once

#include "commands/frame_sink.h"
#include "live/sids_forwarder.h"

#include <QObject>

#include <filesystem>

namespace zelto {

// Forwards every frame of the kept length that a live session keeps to a SiDS server.
class SidsSink : public QObject, public FrameSink {
    Q_OBJECT

  public:
    static constexpr const char* kKind = "SiDS";

    // Throws RunError when the queue file cannot be opened.
    SidsSink(const StationSettings& station, const std::filesystem::path& queueFile, bool dryRun,
             QObject* parent = nullptr);

    std::string kind() const override { return kKind; }
    void attach(SinkHost& host) override;
    void take(const ReceivedFrames& frames) override;
    void describe(LiveState& state) const override;

  private:
    bool dryRun_;
    SidsForwarder forwarder_;
};

} // namespace zelto
