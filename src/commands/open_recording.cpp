// File > Open recording...: a recording demodulated into a KISS capture, then opened.
#include "commands/open_recording.h"

#include "commands/import_steps.h"
#include "commands/kiss_import.h"
#include "core/durable_writes.h"
#include "core/file_io.h"
#include "core/run_error.h"
#include "radio/demodulate_recording.h"
#include "radio/kiss_capture.h"

#include <cmath>
#include <cstdio>

namespace zelto {

namespace fs = std::filesystem;

namespace {

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// NAME.kss in the working folder, unless a capture of that name holds something else: a
// capture is never replaced by another, so the next free NAME-n.kss is taken.
fs::path captureNameFor(const fs::path& workFolder, const fs::path& recording,
                        const std::string& bytes) {
    const std::string stem = recording.stem().string();
    for (int n = 0;; ++n) {
        const fs::path name =
            workFolder / (stem + (n == 0 ? "" : "-" + std::to_string(n)) + ".kss");
        std::error_code ec;
        if (!fs::exists(name, ec) && !ec)
            return name;
        if (fs::is_regular_file(name, ec) && fs::file_size(name, ec) == bytes.size() &&
            readWholeFile(name) == bytes)
            return name;
    }
}

} // namespace

std::string recordingReportLine(const std::string& name, const ReceptionStats& stats) {
    std::string line = " >>>  " + name + ": ";
    line += stats.frames == 1 ? "1 frame found" : std::to_string(stats.frames) + " frames found";
    line += ", a signal in " + std::to_string(std::lround(stats.signalShare * 100)) + " % of it";
    if (stats.frames > 0)
        line += ", quality " + oneDecimal(stats.worstQualityDb) + " to " +
                oneDecimal(stats.bestQualityDb) + " dB";
    return line;
}

void openRecording(Session& session, Panes& panes, const fs::path& recording) {
    const fs::path path = fullCapturePath(recording);
    panes.setFileField(path.string());
    std::string capture;
    const ReceptionStats stats = demodulateRecording(
        path, [&](const DemodulatedFrame& frame) { appendKissFrame(capture, frame.kissFrame); },
        [&](long long done, long long total) {
            panes.progress("Demodulating", static_cast<long>(done), static_cast<long>(total));
        });
    const std::string name = path.filename().string();
    if (stats.frames == 0) {
        clearPanesForImport(panes);
        panes.reportClear();
        panes.normalLayout();
        panes.reportAppend(" >>>  No frame found in " + name);
        panes.reportAppend(recordingReportLine(name, stats));
        return;
    }
    const fs::path kss = captureNameFor(session.workFolder, path, capture);
    {
        FinishOnExit writes(session.writes);
        writeWholeFile(kss.string(), capture, session.writes);
        writes.finish();
    }
    openKissFile(session, panes, kss);
    panes.reportAppend(recordingReportLine(name, stats) + ", kept as " + kss.filename().string());
}

} // namespace zelto
