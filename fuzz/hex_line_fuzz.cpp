// One line of a HEX frame file through field reading and classification, as the decoding
// pass reads it: any failure is a RunError with a message, payloads read whole agree with
// payloads read byte by byte, and names that pass the checks are plain hex tokens.
#include "core/run_error.h"
#include "decode/frame_fields.h"
#include "fuzz_support.h"

#include <optional>
#include <string>

using namespace zelto;

namespace {

struct Outcome {
    std::optional<std::string> bytes;
    std::string message;
    bool operator==(const Outcome&) const = default;
};

template <class Read> Outcome outcomeOf(Read read) {
    try {
        return {read(), {}};
    } catch (const RunError& e) {
        return {std::nullopt, e.what()};
    }
}

void checkPayload(std::string_view line, std::size_t firstByte, long count) {
    const Outcome whole = outcomeOf([&] { return readBytes(line, firstByte, count); });
    const Outcome byteByByte = outcomeOf([&] {
        std::string bytes;
        for (long i = 0; i < count; ++i)
            bytes.push_back(static_cast<char>(readByteField(line, firstByte + i)));
        return bytes;
    });
    if (whole != byteByByte)
        fuzz::fail("payload read whole differs from payload read byte by byte");
}

bool isPlainName(std::string_view name) {
    for (char c : name)
        if (c == '/' || c == '\\' || c == '.' || c == '\0')
            return false;
    return true;
}

void readLine(std::string_view line) {
    switch (classifyLine(line)) {
    case FrameType::Text: {
        const TextFrame frame = readTextFrame(line);
        if (frame.imageId.size() > 11)
            fuzz::fail("text frame ID longer than its field");
        break;
    }
    case FrameType::Icon: {
        const IconFrame frame = readIconFrame(line);
        checkIconId(frame.iconId);
        if (!isPlainName(frame.iconId))
            fuzz::fail("icon ID passed its check with a path character");
        checkPayload(line, 8, frame.size);
        iconBitmap(line, frame);
        break;
    }
    case FrameType::Thumbnail:
    case FrameType::Puzzle: {
        const ImageFrame frame = readImageFrame(line);
        checkImageFrameNames(frame);
        if (!isPlainName(frame.imageId) || !isPlainName(frame.frameNumberText))
            fuzz::fail("image ID passed its check with a path character");
        checkPayload(line, 15, frame.frameNumber > 1 ? 200 : frame.remainder);
        imagePayload(line, frame);
        break;
    }
    case FrameType::None:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    try {
        readLine(fuzz::bytesOf(data, size));
    } catch (const RunError& e) {
        if (std::string_view(e.what()).empty())
            fuzz::fail("a failure without a message");
    }
    return 0;
}
