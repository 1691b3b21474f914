// The live session: one frame source, its stream cut into frames once, handed to each sink.
#include "commands/live_session.h"

#include "core/durable_writes.h"
#include "core/run_error.h"

#include <algorithm>
#include <optional>

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

void LiveSession::replaceSink(std::unique_ptr<FrameSink> sink, std::string_view before) {
    sink->attach(*this);
    const std::string kind = sink->kind();
    auto same = std::find_if(sinks_.begin(), sinks_.end(),
                             [&](const auto& each) { return each->kind() == kind; });
    if (same != sinks_.end()) {
        *same = std::move(sink);
        return;
    }
    auto next = std::find_if(sinks_.begin(), sinks_.end(),
                             [&](const auto& each) { return each->kind() == before; });
    sinks_.insert(next, std::move(sink));
}

bool LiveSession::removeSink(std::string_view kind) {
    const auto gone = std::remove_if(sinks_.begin(), sinks_.end(),
                                     [&](const auto& each) { return each->kind() == kind; });
    const bool removed = gone != sinks_.end();
    sinks_.erase(gone, sinks_.end());
    return removed;
}

bool LiveSession::hasSink(std::string_view kind) const {
    return std::any_of(sinks_.begin(), sinks_.end(),
                       [&](const auto& each) { return each->kind() == kind; });
}

void LiveSession::hold(bool held) {
    if (held == held_)
        return;
    held_ = held;
    if (held_ || !source_)
        return;
    for (const auto& sink : sinks_)
        sink->storeChanged();
    if (stoppedFor_.empty())
        guarded([this] { takeWhatWaited(); });
    heldBlocks_.clear();
    heldBytes_ = 0;
    if (heldDropped_ > 0)
        observer_.told(std::to_string(heldDropped_) +
                       " frames that came while another command ran were kept in the day's "
                       "capture but not decoded");
    heldDropped_ = 0;
}

void LiveSession::retryNow() {
    if (source_)
        source_->retryNow();
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
    observer_.framesArrive(received);
    if (guarded([&] { take(kissStream, received); }))
        observer_.changed(Change::Frames);
}

bool LiveSession::guarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        stoppedFor_ = error.what();
        if (stoppedFor_.empty())
            stoppedFor_ = "stopped";
        source_->stop();
        observer_.changed(Change::Ended);
        return false;
    }
}

void LiveSession::take(std::string_view kissStream,
                       std::chrono::system_clock::time_point received) {
    // Each block is one command: what it wrote is on the disk when it returns. During a
    // hold the command that holds it finishes the writes, its own with the block's.
    std::optional<FinishOnExit> writes;
    if (!held_)
        writes.emplace(session_.writes);
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
    deliver(frames);
    if (writes)
        writes->finish();
}

void LiveSession::deliver(const ReceivedFrames& frames) {
    bool waits = false;
    for (const auto& sink : sinks_) {
        if (held_ && sink->waitsForStore())
            waits = true;
        else
            sink->take(frames);
    }
    if (waits)
        keepForLater(frames);
}

void LiveSession::keepForLater(const ReceivedFrames& frames) {
    const std::size_t bytes = frames.captureBytes.size() + frames.hexLines.size();
    if (heldBytes_ + bytes > kLongestHold) {
        heldDropped_ += static_cast<long>(frames.keptFrames.size());
        return;
    }
    heldBytes_ += bytes;
    heldBlocks_.push_back({frames.received, std::string(frames.captureBytes),
                           std::string(frames.hexLines), frames.keptFrames});
}

void LiveSession::takeWhatWaited() {
    while (!heldBlocks_.empty()) {
        const HeldBlock block = std::move(heldBlocks_.front());
        heldBlocks_.pop_front();
        observer_.framesArrive(block.received);
        FinishOnExit writes(session_.writes);
        const ReceivedFrames frames{block.received, block.captureBytes, block.hexLines,
                                    block.keptFrames};
        for (const auto& sink : sinks_)
            if (sink->waitsForStore())
                sink->take(frames);
        writes.finish();
        observer_.changed(Change::Frames);
    }
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
