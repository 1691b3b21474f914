// File > Open .KSS file: a KISS capture turned into its HEX frame file and decoded.
#include "commands/kiss_import.h"

#include "commands/import_steps.h"
#include "core/file_io.h"
#include "import/hex_frame_file.h"
#include "import/kiss_frames.h"

#include <string>
#include <system_error>
#include <vector>

namespace zelto {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kReadBlock = 1 << 16;

// The kept frames of a capture, raw as they stood in it, held once between the reading
// and the writing of the HEX frame file.
struct KeptFrames {
    std::string bytes;
    std::vector<std::size_t> ends;

    void add(std::string_view frame) {
        bytes.append(frame);
        ends.push_back(bytes.size());
    }
    template <class Visit> void forEach(Visit visit) const {
        std::size_t begin = 0;
        for (const std::size_t end : ends) {
            visit(std::string_view(bytes).substr(begin, end - begin));
            begin = end;
        }
    }
};

// Reads the whole capture; each kept frame is listed in the report pane as it stood.
KeptFrames readKeptFrames(InputFile& capture, long captureSize, Panes& panes) {
    KeptFrames kept;
    KissFrameSplitter splitter;
    std::string reportLine;
    const KissFrameSplitter::FrameHandler keep = [&](std::string_view frame) {
        if (!isKeptFrame(frame))
            return;
        kept.add(frame);
        reportLine.clear();
        appendHexTokens(reportLine, frame);
        panes.reportAppend(reportLine);
    };
    std::string block(kReadBlock, '\0');
    long done = 0;
    long nextProgress = kProgressStep;
    while (const std::size_t n = capture.read(block.data(), block.size())) {
        splitter.feed(std::string_view(block).substr(0, n), keep);
        done += static_cast<long>(n);
        if (done >= nextProgress) {
            panes.progress("Reading capture", done, captureSize);
            nextProgress = done + kProgressStep;
        }
    }
    return kept;
}

void appendReportTrailer(Panes& panes) {
    panes.reportAppend(" ");
    panes.reportAppend(" ---  Valid type 2, 3, 4 and 5 frames contained in the above KISS data:");
    panes.reportAppend(" ");
}

void writeHexLines(WholeFile& hexFile, const KeptFrames& kept) {
    std::string line;
    kept.forEach([&](std::string_view frame) {
        line.clear();
        appendKissHexLine(line, frame);
        hexFile.write(line);
    });
}

} // namespace

void openKissFile(Session& session, Panes& panes, const fs::path& capture) {
    clearPanesForImport(panes);
    panes.repaint();
    const fs::path capturePath = fullCapturePath(capture);
    panes.setFileField(capturePath.string());
    InputFile input(capturePath);
    const auto captureSize = static_cast<long>(input.size());

    panes.reportClear();
    panes.normalLayout();
    session.resetHiddenLists();
    const fs::path hexPath = hexFilePath(capturePath, session.workFolder);
    enterWorkFolder(session);
    checkNotTheCapture(capturePath, hexPath);
    WholeFile hexFile(hexPath);

    const KeptFrames kept = readKeptFrames(input, captureSize, panes);
    input.close();
    appendReportTrailer(panes);
    writeHexLines(hexFile, kept);
    commitHexFile(session, hexFile, hexPath);

    decodeHexFile(session, panes, hexPath);
}

} // namespace zelto
