// The main window's handlers: each runs its command through the core and shows a failure's
// message in a box.
#include "app/main_window.h"

#include "app/audio_dialog.h"
#include "app/dialog_title.h"
#include "app/fetch_dialog.h"
#include "app/file_filter.h"
#include "app/kiss_server_dialog.h"
#include "app/list_box.h"
#include "app/live_link.h"
#include "app/picture_box.h"
#include "app/preview_display.h"
#include "app/station_settings_dialog.h"
#include "app/window_panes.h"
#include "commands/browsing.h"
#include "commands/decoding_pass.h"
#include "commands/kiss_import.h"
#include "commands/open_hex.h"
#include "commands/open_recording.h"
#include "commands/puzzles_decode.h"
#include "commands/satnogs_import.h"
#include "commands/text_import.h"
#include "commands/work_folder.h"
#include "core/run_error.h"
#include "live/audio_source.h"
#include "live/satnogs_fetch.h"
#include "live/text_codec.h"
#include "store/description_log.h"
#include "store/frame_store.h"
#include "store/store_layout.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <string>

namespace zelto {

namespace {

constexpr int kReportHeight = 113;

const QString kDialogFolderKey = QStringLiteral("dialogs/folder");

std::filesystem::path pathOf(const QString& chosen) {
    const QByteArray bytes = QFile::encodeName(QFileInfo(chosen).absoluteFilePath());
    return std::filesystem::path(
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString programName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

} // namespace

Panes& TForm1::panes() {
    return *panes_;
}

void TForm1::setSecondaryWindows(QWidget* about, QWidget* help) {
    about_ = about;
    help_ = help;
}

void TForm1::showMessage(const QString& text) {
    if (messageHook) {
        messageHook(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, programName(), text, QMessageBox::Ok, this);
    fitTitle(&box);
    box.exec();
}

void TForm1::runCommand(const std::function<void()>& command, bool changesStore) {
    ++commandsRunning_;
    live_->commandStarts(changesStore);
    panes_->beginCommand();
    session_.forgetWrittenFrames();
    std::optional<std::string> failure;
    try {
        command();
    } catch (const std::exception& error) {
        // RunError carries the run-time message; anything else is shown the same way rather
        // than ending the program.
        failure = error.what();
    }
    // What the command wrote is on the disk when it ends, whether it failed or not.
    try {
        session_.writes.finish();
    } catch (const std::exception& error) {
        if (!failure)
            failure = error.what();
    }
    panes_->endCommand();
    // The decoding of a live session goes on before the box waits for a click.
    live_->commandEnded();
    --commandsRunning_;
    if (failure)
        showMessage(fromWindows1252(*failure));
}

// The dialog starts in the folder chosen from last, which is remembered for the next start.
QString TForm1::chooseFile(const QString& filter) {
    if (openDialogHook)
        return openDialogHook(filter);
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is taken; opening it reports the error.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(filter);
    const QString last = QSettings().value(kDialogFolderKey).toString();
    dialog.setDirectory(!last.isEmpty() && QDir(last).exists() ? last : QDir::currentPath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    QSettings().setValue(kDialogFolderKey, QFileInfo(chosen).absolutePath());
    return chosen;
}

bool TForm1::ask(const QString& question) {
    if (questionHook)
        return questionHook(question);
    QMessageBox box(QMessageBox::Question, programName(), question,
                    QMessageBox::Yes | QMessageBox::No, this);
    fitTitle(&box);
    return box.exec() == QMessageBox::Yes;
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_ || event->spontaneous())
        return;
    shownOnce_ = true;
    if (const QScreen* s = screen()) {
        // A window larger than the screen is made to fit it, its status line included: the
        // frame the window manager adds is counted as it is, or as a title bar before it is
        // known.
        const QRect room = s->availableGeometry();
        const QSize frame = frameGeometry().size() - geometry().size();
        resize(std::min(width(), room.width() - std::max(frame.width(), 8)),
               std::min(height(), room.height() - std::max(frame.height(), 32)));
        move(room.center() - QPoint(width() / 2, height() / 2));
    }
    FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A live session decodes what it has received before the program ends.
    live_->stop();
    // The Help and About windows go with the main window.
    for (QWidget* window : {about_, help_})
        if (window != nullptr)
            window->hide();
    QMainWindow::closeEvent(event);
}

void TForm1::FormShow() {
    runCommand([this] {
        panes_->reportClear();
        // A folder deleted before the start has no path: "File not found", not the
        // library's own text.
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::current_path(ec);
        if (ec)
            throwIoError(ec.value());
        prepareWorkFolder(session_, folder);
    });
    // A station that decodes live from the start connects by itself.
    if (const KissServerAddress address = savedKissServer(); address.connectAtStart)
        live_->start(address, savedStationSettings());
}

void TForm1::openCommand(const QString& description, const QString& pattern,
                         void (*command)(Session&, Panes&, const std::filesystem::path&)) {
    // The dialog is no part of the command: a live session decodes on while it is open.
    const QString chosen = chooseFile(dialogFilter(description, pattern));
    if (chosen.isEmpty())
        return;
    runCommand([&] { command(session_, *panes_, pathOf(chosen)); }, true);
}

void TForm1::OpenKSSfile1Click() {
    openCommand(QStringLiteral("Kiss files (*.kss)"), QStringLiteral("*.KSS"), openKissFile);
}

void TForm1::txtTOhexClick() {
    openCommand(QStringLiteral("txt files (*.txt)"), QStringLiteral("*.txt"), openTextFile);
}

void TForm1::OpenHEXfile1Click() {
    openCommand(QStringLiteral("HEX files(*.hex)"), QStringLiteral("*.hex"), openHexFile);
}

void TForm1::OpenSatNOGSframesfile1Click() {
    openCommand(QStringLiteral("SatNOGS frames (*.csv *.json)"), QStringLiteral("*.csv *.json"),
                openSatnogsFile);
}

// A recording is demodulated into a KISS capture, then opened as one.
void TForm1::Openrecording1Click() {
    openCommand(QStringLiteral("Recordings (*.wav *.flac *.ogg)"),
                QStringLiteral("*.wav *.flac *.ogg"), openRecording);
}

// The log opens in the desktop's editor for text files; the outcome is not reported.
void TForm1::Openlogfile1Click() {
    const std::filesystem::path log = session_.workFolder / kLogName;
    const QUrl url =
        QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(log.string())));
    if (openUrlHook)
        openUrlHook(url);
    else
        QDesktopServices::openUrl(url);
}

// The fetch runs in the event loop: its progress shows in the status line, and the file it
// writes is opened as File > Open SatNOGS frames file opens one.
void TForm1::FetchframesfromSatNOGSDB1Click() {
    if (fetch_ != nullptr) {
        showMessage(QStringLiteral("A fetch from the SatNOGS DB is under way"));
        return;
    }
    FetchChoice choice;
    choice.noradId = savedStationSettings().noradId;
    choice.server = savedDbServer();
    const bool chosen = fetchDialogHook ? fetchDialogHook(choice) : askForFetch(this, choice);
    if (!chosen)
        return;
    saveDbServer(choice.server);
    const QString token = savedDbToken();
    if (token.isEmpty()) {
        showMessage(QStringLiteral("Fetching from the SatNOGS DB needs its API token: enter it "
                                   "in File > Station settings..."));
        return;
    }
    SatnogsFetch::Request request;
    request.noradId = choice.noradId;
    if (choice.since.isValid())
        request.since = QDateTime(choice.since, QTime(0, 0), Qt::UTC);
    request.token = token;
    request.server = QUrl(choice.server);
    request.folder = session_.workFolder;
    fetch_ = new SatnogsFetch(request, this);
    const QString from = SatnogsFetch::firstPage(request).toDisplayString(QUrl::RemoveQuery);
    connect(fetch_, &SatnogsFetch::progress, this, [this, from](long frames, int pages) {
        fetchState_->setText(
            QStringLiteral("SatNOGS DB: %1 frames in %2 pages so far").arg(frames).arg(pages));
    });
    connect(fetch_, &SatnogsFetch::waiting, this, [this](const QString& address, int seconds) {
        fetchState_->setText(QStringLiteral("%1: the DB asks to wait; the same page again in %2 s")
                                 .arg(address)
                                 .arg(seconds));
    });
    connect(fetch_, &SatnogsFetch::done, this,
            [this, request](const QString& path, long frames, int pages) {
                fetchEnded(fetchEndLine({path, frames, pages, {}}, request), path);
            });
    connect(fetch_, &SatnogsFetch::failed, this,
            [this](const QString& message) { fetchEnded(message, {}); });
    fetchState_->setText(QStringLiteral("SatNOGS DB: fetching from %1...").arg(from));
    fetchState_->show();
    statusBar()->show();
    fetch_->start();
}

void TForm1::fetchEnded(const QString& line, const QString& path) {
    fetchState_->setText(QStringLiteral("SatNOGS DB: ") + line);
    fetch_->deleteLater();
    fetch_ = nullptr;
    if (!path.isEmpty())
        openFetched(path);
}

// A fetch may end while a long command lets the window draw itself: its file waits for it.
void TForm1::openFetched(const QString& path) {
    if (commandsRunning_ > 0) {
        QTimer::singleShot(100, this, [this, path] { openFetched(path); });
        return;
    }
    runCommand([&] { openSatnogsFile(session_, *panes_, pathOf(path)); }, true);
}

// The server is remembered for the next start. A session under way ends only when the
// operator says so.
void TForm1::ConnecttoKISSserver1Click() {
    if (live_->active() &&
        !ask(QStringLiteral("A live session is connected to %1. End it and connect again?")
                 .arg(live_->sourceName())))
        return;
    KissServerAddress address = savedKissServer();
    const bool chosen =
        kissServerDialogHook ? kissServerDialogHook(address) : askForKissServer(this, address);
    if (!chosen)
        return;
    saveKissServer(address);
    live_->start(address, savedStationSettings());
}

void TForm1::Listentosoundcard1Click() {
    if (live_->active() &&
        !ask(QStringLiteral("A live session is running on %1. End it and listen to a sound card?")
                 .arg(live_->sourceName())))
        return;
    AudioChoice choice = savedAudioChoice();
    const bool chosen = audioDialogHook ? audioDialogHook(choice)
                                        : askForAudioInput(this, AudioSource::inputNames(), choice);
    if (!chosen) {
        if (!audioDialogHook && AudioSource::inputNames().isEmpty())
            showMessage(QStringLiteral("No sound card input is there to listen to"));
        return;
    }
    saveAudioChoice(choice);
    live_->startAudio(choice.device, savedStationSettings());
}

// Settings saved during a live session take effect at once.
void TForm1::StationSettings1Click() {
    StationSettings settings = savedStationSettings();
    QString token = savedDbToken();
    const bool chosen = stationSettingsDialogHook ? stationSettingsDialogHook(settings)
                                                  : askForStationSettings(this, settings, token);
    if (!chosen)
        return;
    saveStationSettings(settings);
    saveDbToken(token);
    live_->applyStation(settings);
}

void TForm1::Disconnect1Click() {
    live_->stop();
}

void TForm1::Retrynow1Click() {
    live_->retryNow();
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::humbnails1Click() {
    runCommand([this] { showAllThumbnails(session_, *panes_); });
}

void TForm1::Allreceivedicons1Click() {
    runCommand([this] { showAllIcons(session_, *panes_); });
}

void TForm1::Decode1Click() {
    runCommand([this] { decodePuzzles(session_, *panes_); }, true);
}

void TForm1::showToolWindow(QWidget* window) {
    if (window == nullptr)
        return;
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
        return;
    }
    window->show();
    window->activateWindow();
}

void TForm1::helpClick() {
    showToolWindow(help_);
}

void TForm1::About1Click() {
    showToolWindow(about_);
}

// The resize toggle: the report pane over the whole lower window, or back to normal.
void TForm1::Label1Click() {
    if (Memo1->height() == kReportHeight) {
        // Down to the bottom of the panes, as the expanded report does on the design's window.
        Memo1->resize(Memo1->width(), client_->height() - 47);
        ListBox1->hide();
        ListBox2->hide();
        ListBox3->hide();
        return;
    }
    panes_->normalLayout();
}

void TForm1::ListBox1Click() {
    QString entry;
    if (ListBox1->selectedText(entry))
        runCommand([&] { showIcon(session_, *panes_, toWindows1252(entry)); });
}

void TForm1::ListBox2Click() {
    QString entry;
    if (ListBox2->selectedText(entry))
        runCommand([&] { showImage(session_, *panes_, toWindows1252(entry)); });
}

// Each message comes with the preview of its image folder behind it.
void TForm1::ListBox3Click() {
    QString entry;
    if (!ListBox3->selectedText(entry))
        return;
    runCommand([&] {
        const std::string id = toWindows1252(entry);
        const std::vector<std::string> messages = missingFramesMessages(session_, id);
        const std::vector<std::string> folders = thumbnailFoldersOf(session_, id);
        for (std::size_t i = 0; i < messages.size() && i < folders.size(); ++i) {
            const std::string& folder = folders[i];
            showPreview(Image7, Label6, StoreLayout::imageName(ImageKind::Thumbnail, id),
                        StoreLayout(session_.workFolder).imageFolder(ImageKind::Thumbnail, folder),
                        StoreLayout::frameCountOfFolder(folder));
            describePreview(id);
            panes_->message(messages[i]);
        }
    });
}

void TForm1::Memo1Click() {
    const QTextCursor cursor = Memo1->textCursor();
    if (cursor.hasSelection())
        return;
    const std::optional<std::string> folder =
        incompletePuzzleFolder(toWindows1252(cursor.block().text()));
    if (!folder)
        return;
    runCommand([&] {
        showPreview(
            Image7, Label6,
            StoreLayout::imageName(ImageKind::Puzzle, StoreLayout::imageIdOfFolder(*folder)),
            StoreLayout(session_.workFolder).imageFolder(ImageKind::Puzzle, *folder),
            StoreLayout::frameCountOfFolder(*folder));
        describePreview(std::string(StoreLayout::imageIdOfFolder(*folder)));
    });
}

void TForm1::describePreview(const std::string& imageId) {
    const LogLookup found = lookupDescription(session_.workFolder / kLogName, imageId);
    panes_->setDescription(found.description ? *found.description : kNotYetReceived);
}

// Clicks on the report pane's text: the press has put the cursor where the click was.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Memo1Click();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Image7Click() {
    Image7->setStretch(!Image7->stretch());
}

void TForm1::Image8Click() {
    Image8->setStretch(!Image8->stretch());
}

void TForm1::Label4Click() {
    runCommand([this] { descriptionFromReport(session_, *panes_); });
}

void TForm1::calcula(InputFile& input) {
    zelto::calcula(session_, *panes_, input);
}

void TForm1::apaga() {
    zelto::apaga(*panes_);
}

} // namespace zelto
