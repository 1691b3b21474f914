// The live session: one frame source, its stream cut into frames once, handed to each sink.
#include "commands/live_session.h"

#include "core/durable_writes.h"
#include "core/run_error.h"

namespace zelto {

LiveSession::LiveSession(Session& session, Observer& observer)
    : session_(session), observer_(observer) {}

LiveSession::~LiveSession() {
    if (source_)
        source_->stop();
}

void LiveSession::addSink(std::unique_ptr<FrameSink> sink) {
    sink->attach(*this);
    sinks_.push_back(std::move(sink));
}

void LiveSession::start(std::unique_ptr<FrameSource> source) {
    source_ = std::move(source);
    stoppedFor_.clear();
    source_->start(*this);
}

void LiveSession::stop() {
    if (source_)
        source_->stop();
}

bool LiveSession::active() const {
    return source_ && source_->state().phase != SourceState::Phase::Stopped;
}

void LiveSession::hold(bool held) {
    if (!source_)
        return;
    if (!held)
        for (const auto& sink : sinks_)
            sink->storeChanged();
    source_->hold(held);
}

LiveState LiveSession::state() const {
    LiveState state;
    if (source_) {
        state.sourceKind = source_->kind();
        state.sourceName = source_->name();
        state.source = source_->state();
    }
    state.counts = counts_;
    state.stoppedFor = stoppedFor_;
    for (const auto& sink : sinks_)
        sink->describe(state);
    return state;
}

void LiveSession::bytes(std::string_view kissStream,
                        std::chrono::system_clock::time_point received) {
    // After a failure nothing more could be kept.
    if (!stoppedFor_.empty())
        return;
    observer_.framesArrive();
    try {
        take(kissStream, received);
    } catch (const std::exception& error) {
        stoppedFor_ = error.what();
        if (stoppedFor_.empty())
            stoppedFor_ = "stopped";
        source_->stop();
        observer_.changed(Change::Ended);
        return;
    }
    observer_.changed(Change::Frames);
}

void LiveSession::take(std::string_view kissStream,
                       std::chrono::system_clock::time_point received) {
    // Each block is one command: what it wrote is on the disk when it returns.
    FinishOnExit writes(session_.writes);
    captureBytes_.clear();
    hexLines_.clear();
    keptFrames_.clear();
    splitter_.feed(kissStream, [&](std::string_view frame) {
        ++counts_.frames;
        captureBytes_.push_back(static_cast<char>(kKissDelimiter));
        captureBytes_.append(frame);
        captureBytes_.push_back(static_cast<char>(kKissDelimiter));
        if (!isKeptFrame(frame))
            return;
        appendKissHexLine(hexLines_, frame);
        appendWithoutEscapes(keptFrames_.emplace_back(), frame);
    });
    counts_.overlong = splitter_.overlongFrames();
    const ReceivedFrames frames{received, captureBytes_, hexLines_, keptFrames_};
    for (const auto& sink : sinks_)
        sink->take(frames);
    writes.finish();
}

void LiveSession::broken() {
    if (splitter_.restart()) {
        ++counts_.cut;
        observer_.changed(Change::FrameCut);
    }
}

void LiveSession::changed() {
    observer_.changed(Change::Source);
}

void LiveSession::tell(const std::string& text) {
    observer_.told(text);
}

void LiveSession::sinkChanged() {
    observer_.changed(Change::Forwarding);
}

} // namespace zelto
