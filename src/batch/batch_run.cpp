// Zeltodecoder-batch's run: the working folder prepared, then each file's command, Puzzles >
// Decode, previews or a live session.
#include "batch/batch_run.h"

#include "batch/batch_panes.h"
#include "batch/buffered_output.h"
#include "batch/capture_kind.h"
#include "batch/command_report.h"
#include "batch/fd_write.h"
#include "batch/live_run.h"
#include "batch/progress_line.h"
#include "commands/kiss_import.h"
#include "commands/open_hex.h"
#include "commands/open_recording.h"
#include "commands/preview_files.h"
#include "commands/puzzles_decode.h"
#include "commands/satnogs_import.h"
#include "commands/text_import.h"
#include "commands/work_folder.h"
#include "core/run_error.h"
#include "core/session.h"
#include "live/satnogs_fetch.h"
#include "store/frame_store.h"

#include <cerrno>

#include <QCoreApplication>
#include <QDate>
#include <QObject>

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace zelto {

namespace fs = std::filesystem;

namespace {

void openCapture(Session& session, Panes& panes, const fs::path& file) {
    switch (captureKindOf(file.string())) {
    case CaptureKind::Kiss:
        openKissFile(session, panes, file);
        return;
    case CaptureKind::Text:
        openTextFile(session, panes, file);
        return;
    case CaptureKind::Satnogs:
        openSatnogsFile(session, panes, file);
        return;
    case CaptureKind::Recording:
        openRecording(session, panes, file);
        return;
    case CaptureKind::Hex:
        openHexFile(session, panes, file);
        return;
    }
}

// What the panes hold after a command; the missing-frames lines only where the command
// fills ListBox3. A failure leaves in `report` what was gathered before it.
void gatherReport(CommandReport& report, const Session& session, const BatchPanes& panes,
                  bool withIncomplete) {
    report.reportBlocks = panes.reportBlocks();
    report.imageFiles = panes.imageFiles();
    if (withIncomplete)
        report.missingMessages = missingFramesMessages(session, panes.incompleteIds());
}

// The message of the error that stopped the step, empty when it ran to its end.
std::string failureOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        const std::string message = e.what();
        return message.empty() ? "Unknown error" : message;
    }
    return "";
}

// --fetch: the DB's frames kept in a JSON file of the working folder; its path, empty when the DB
// held none or the fetch failed (told on standard error, and `failed` set). Progress shows on the
// terminal, the end on standard error.
std::string fetchFrames(const BatchOptions::Fetch& options, const fs::path& workFolder,
                        ProgressLine& progress, bool& failed) {
    SatnogsFetch::Request request;
    request.noradId = options.noradId;
    if (!options.since.empty())
        request.since =
            QDateTime(QDate::fromString(QString::fromStdString(options.since), Qt::ISODate),
                      QTime(0, 0), Qt::UTC);
    request.token = QString::fromStdString(options.token);
    request.server = QUrl(QString::fromStdString(options.server));
    request.folder = workFolder;
    SatnogsFetch fetch(request);
    progress.startStep("fetch");
    long framesShown = 0;
    QObject::connect(&fetch, &SatnogsFetch::progress, [&](long frames, int pages) {
        for (; framesShown < frames; ++framesShown)
            progress.frameDecoded();
        progress.commandProgress("page", pages, 0);
    });
    QObject::connect(&fetch, &SatnogsFetch::waiting, [&](const QString& address, int seconds) {
        progress.clear();
        writeErrorLine(address.toStdString() + ": the DB asks to wait; the same page again in " +
                       std::to_string(seconds) + " s");
    });
    const FetchEnd end = fetchToEnd(fetch);
    progress.clear();
    writeErrorLine(fetchEndLine(end, request).toStdString());
    failed = !end.error.isEmpty();
    return end.path.toStdString();
}

class BatchRunner {
  public:
    BatchRunner(BufferedOutput& out, ProgressLine& progress)
        : out_(out), progress_(progress), panes_(progress) {}

    Session& session() { return session_; }
    BatchPanes& panes() { return panes_; }

    // Runs one command and prints what it leaves in the panes. A command that stopped
    // before emptying the report pane never got going (its file could not be opened):
    // the report pane still shows the previous command, so nothing is printed for it.
    bool run(std::string_view name, bool withIncomplete, const std::function<void()>& command) {
        panes_.forgetReportCleared();
        std::string failure = failureOf(command);
        // What the command wrote is on the disk before its report says it was done.
        if (const std::string syncFailure = failureOf([&] { session_.writes.finish(); });
            failure.empty())
            failure = syncFailure;
        if (failure.empty() || panes_.reportWasCleared()) {
            CommandReport report;
            // Counting a folder's frames for a missing-frames line can fail like a click would.
            const std::string reportFailure =
                failureOf([&] { gatherReport(report, session_, panes_, withIncomplete); });
            print(report);
            if (failure.empty())
                failure = reportFailure;
        }
        if (failure.empty())
            return true;
        // Standard output goes first, so that a reader of both sees them in order.
        out_.flush();
        progress_.clear();
        writeErrorLine(std::string(name) + ": " + failure);
        return false;
    }

  private:
    void print(const CommandReport& report) {
        writeCommandReport(report, [this](std::string_view bytes) { out_.write(bytes); });
    }

    BufferedOutput& out_;
    ProgressLine& progress_;
    Session session_;
    BatchPanes panes_;
};

} // namespace

int runBatch(const BatchOptions& options, BufferedOutput& out, ProgressLine& progress) {
    BatchRunner runner(out, progress);
    std::error_code noFolder;
    const fs::path workFolder = fs::current_path(noFolder);
    if (noFolder) {
        writeErrorLine(ioErrorMessage(noFolder.value()));
        return 1;
    }
    if (const std::string failure =
            failureOf([&] { prepareWorkFolder(runner.session(), workFolder); });
        !failure.empty()) {
        writeErrorLine(failure);
        return 1;
    }

    // Commands move the current directory about; the names given are resolved once, here.
    std::vector<fs::path> files;
    for (const std::string& name : options.files) {
        std::error_code ignored;
        files.push_back(name.empty() ? fs::path() : fs::absolute(name, ignored));
    }
    std::error_code ignored;
    const fs::path previews = fs::absolute(options.previewsFolder, ignored);

    // The event loop of a fetch, kept for a live session after it.
    std::unique_ptr<QCoreApplication> application;
    static int argumentCount = 1;
    static char programName[] = "Zeltodecoder-batch";
    static char* arguments[] = {programName, nullptr};
    if (options.fetch.noradId > 0 && !QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argumentCount, arguments);

    bool allCompleted = true;
    std::vector<std::string> names = options.files;
    // The fetched file is decoded as a FILE given first would be.
    if (options.fetch.noradId > 0) {
        bool failed = false;
        const std::string fetched = fetchFrames(options.fetch, workFolder, progress, failed);
        allCompleted = !failed;
        if (!fetched.empty()) {
            files.insert(files.begin(), fetched);
            names.insert(names.begin(), fs::path(fetched).filename().string());
        }
    }
    const std::size_t count = files.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = names[i];
        const fs::path& file = files[i];
        progress.startStep("file " + std::to_string(i + 1) + "/" + std::to_string(count));
        allCompleted &=
            runner.run(name, true, [&] { openCapture(runner.session(), runner.panes(), file); });
    }
    if (options.puzzles) {
        progress.startStep("puzzles");
        allCompleted &= runner.run("--puzzles", false,
                                   [&] { decodePuzzles(runner.session(), runner.panes()); });
    }
    if (!options.previewsFolder.empty()) {
        progress.startStep("previews");
        if (const std::string failure = failureOf([&] { writePreviewFiles(workFolder, previews); });
            !failure.empty()) {
            out.flush();
            progress.clear();
            writeErrorLine(options.previewsFolder + ": " + failure);
            allCompleted = false;
        }
    }
    progress.clear();
    if (startsLiveSession(options)) {
        out.flush();
        allCompleted &= runLiveSession(runner.session(), options, out) == 0;
    }

    out.flush();
    if (out.failure() != 0 && out.failure() != EPIPE) {
        writeErrorLine("standard output: " + ioErrorMessage(out.failure()));
        return 1;
    }
    return allCompleted ? 0 : 1;
}

} // namespace zelto
