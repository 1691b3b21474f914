// File > Open SatNOGS frames file: frames of the network of stations, oldest first, as a HEX frame
// file decoded.
#include "commands/satnogs_import.h"

#include "commands/import_steps.h"
#include "core/file_io.h"
#include "core/text.h"
#include "import/hex_frame_file.h"
#include "import/satnogs_frames.h"

namespace zelto {

namespace fs = std::filesystem;

namespace {
// The telemetry API's JSON by its name, any other name the download's lines.
bool isJson(const fs::path& file) {
    return toUpperAscii(file.filename().string()).ends_with(".JSON");
}

std::string passedOverLine(long count, bool entries) {
    const std::string what = entries ? "entr" : "line";
    if (count == 1)
        return " >>>  1 " + what + (entries ? "y" : "") + " that is not a frame was passed over";
    return " >>>  " + std::to_string(count) + " " + what + (entries ? "ies" : "s") +
           " that are not frames were passed over";
}

std::string untimedLine(long count) {
    return " >>>  " + std::to_string(count) +
           (count == 1 ? " frame without a time of reception was"
                       : " frames without a time of reception were") +
           " taken last, in file order";
}
} // namespace

void openSatnogsFile(Session& session, Panes& panes, const fs::path& file) {
    clearPanesForImport(panes);
    const fs::path path = fullCapturePath(file);
    panes.setFileField(path.string());
    // Read and understood whole before anything is written.
    const auto reading = [&](long done, long total) {
        panes.progress("Reading frames", done, total);
    };
    NetworkFrames read =
        isJson(path) ? readSatnogsJson(path, reading) : readSatnogsCsv(path, reading);

    panes.reportClear();
    panes.normalLayout();
    panes.repaint();
    session.resetHiddenLists();
    const fs::path hexPath = hexFilePath(path, session.workFolder);
    enterWorkFolder(session);
    checkNotTheCapture(path, hexPath);
    WholeFile hexFile(hexPath);
    forEachNetworkFrameHexLine(read, [&](std::string_view line) { hexFile.write(line); });
    const long passedOver = read.passedOver;
    const long untimed = read.untimed();
    read = NetworkFrames(); // the decoding pass reads the frames from the HEX frame file
    commitHexFile(session, hexFile, hexPath);
    panes.setFileField(" HEX file saved:    " + hexPath.string());

    decodeHexFile(session, panes, hexPath);
    if (passedOver > 0)
        panes.reportAppend(passedOverLine(passedOver, isJson(path)));
    if (untimed > 0)
        panes.reportAppend(untimedLine(untimed));
}

} // namespace zelto
