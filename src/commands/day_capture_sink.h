#pragma once

#include "commands/frame_sink.h"
#include "core/session.h"
#include "import/day_capture.h"

namespace zelto {

// Keeps every frame in the day's capture and its HEX file before any other sink sees it: a
// frame that upsets the decoding or the forwarding is on the disk already.
class DayCaptureSink : public FrameSink {
  public:
    static constexpr const char* kKind = "day capture";

    explicit DayCaptureSink(Session& session) : session_(session), day_(session.workFolder) {}

    std::string kind() const override { return kKind; }

    void take(const ReceivedFrames& frames) override;

  private:
    Session& session_;
    DayCapture day_;
};

} // namespace zelto
