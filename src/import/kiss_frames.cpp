// KISS framing: the one splitter of KISS streams, escapes, the kept frames.
#include "import/kiss_frames.h"

#include "import/hex_frame_file.h"

#include <cstring>

namespace zelto {

void KissFrameSplitter::feed(std::string_view block, const FrameHandler& onFrame) {
    std::size_t pos = 0;
    while (pos < block.size()) {
        const void* hit = std::memchr(block.data() + pos, kKissDelimiter, block.size() - pos);
        if (!hit) {
            if (delimiterSeen_)
                addToOpenRun(block.substr(pos));
            return;
        }
        const std::size_t at =
            static_cast<std::size_t>(static_cast<const char*>(hit) - block.data());
        if (delimiterSeen_) {
            const std::string_view run = block.substr(pos, at - pos);
            if (pending_.empty() && !overlong_) {
                // The usual case: the whole frame lies in this block and is not copied.
                if (run.size() > longest_)
                    ++overlongFrames_;
                else if (!run.empty())
                    onFrame(run);
            } else {
                addToOpenRun(run);
                if (overlong_)
                    ++overlongFrames_;
                else
                    onFrame(pending_);
                pending_.clear();
                overlong_ = false;
            }
        }
        delimiterSeen_ = true;
        pos = at + 1;
    }
}

void KissFrameSplitter::addToOpenRun(std::string_view bytes) {
    if (overlong_)
        return;
    if (pending_.size() + bytes.size() > longest_) {
        overlong_ = true;
        pending_.clear();
        pending_.shrink_to_fit();
        return;
    }
    pending_.append(bytes);
}

bool KissFrameSplitter::restart() {
    const bool cut = !pending_.empty() || overlong_;
    pending_.clear();
    overlong_ = false;
    delimiterSeen_ = false;
    return cut;
}

namespace {
// Calls put(byte) for each byte of the frame once its escapes are resolved.
template <class Put> void forEachUnescaped(std::string_view raw, Put put) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        if (byte != kKissEscape) {
            put(byte);
            continue;
        }
        if (++i == raw.size())
            break;
        const auto next = static_cast<unsigned char>(raw[i]);
        if (next == kKissEscapedC0)
            put(kKissDelimiter);
        else if (next == kKissEscapedDB)
            put(kKissEscape);
    }
}
} // namespace

void appendWithoutEscapes(std::string& out, std::string_view rawFrame) {
    out.reserve(out.size() + rawFrame.size());
    forEachUnescaped(rawFrame, [&out](unsigned char b) { out.push_back(static_cast<char>(b)); });
}

void appendKissHexLine(std::string& out, std::string_view rawFrame) {
    const std::size_t start = out.size();
    out.resize(start + 3 * rawFrame.size());
    char* to = out.data() + start;
    forEachUnescaped(rawFrame, [&to](unsigned char b) { to = putHexToken(to, b); });
    out.resize(static_cast<std::size_t>(to - out.data()));
    out.append(kHexLineEnd);
}

} // namespace zelto
