// The main window's handlers: each runs its command through the core and shows a failure's
// message in a box.
#include "app/main_window.h"

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
#include "commands/puzzles_decode.h"
#include "commands/satnogs_import.h"
#include "commands/text_import.h"
#include "commands/work_folder.h"
#include "core/run_error.h"
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
#include <QShowEvent>
#include <QTextBlock>

#include <optional>
#include <string>

namespace zelto {

namespace {

constexpr int kReportHeight = 113;
constexpr int kExpandedReportHeight = 657;

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
    box.exec();
}

void TForm1::runCommand(const std::function<void()>& command) {
    // Frames of a live session wait until the command returns.
    live_->commandStarts();
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
    if (failure) {
        panes_->endCommand();
        showMessage(fromWindows1252(*failure));
    }
    panes_->endCommand();
    live_->commandEnded();
}

QString TForm1::askForFile(const QString& filter) {
    const QString chosen = chooseFile(filter);
    // The command's own work starts now: time spent in the dialog is not a long command.
    panes_->beginCommand();
    return chosen;
}

QString TForm1::chooseFile(const QString& filter) {
    if (openDialogHook)
        return openDialogHook(filter);
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is taken; opening it reports the error.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(filter);
    dialog.setDirectory(QDir::currentPath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_ || event->spontaneous())
        return;
    shownOnce_ = true;
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
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
}

void TForm1::openCommand(const QString& description, const QString& pattern,
                         void (*command)(Session&, Panes&, const std::filesystem::path&)) {
    runCommand([&] {
        const QString chosen = askForFile(dialogFilter(description, pattern));
        if (!chosen.isEmpty())
            command(session_, *panes_, pathOf(chosen));
    });
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

// The server is remembered for the next start.
void TForm1::ConnecttoKISSserver1Click() {
    KissServerAddress address = savedKissServer();
    const bool chosen =
        kissServerDialogHook ? kissServerDialogHook(address) : askForKissServer(this, address);
    if (!chosen)
        return;
    saveKissServer(address);
    live_->start(address, savedStationSettings());
}

void TForm1::StationSettings1Click() {
    StationSettings settings = savedStationSettings();
    const bool chosen = stationSettingsDialogHook ? stationSettingsDialogHook(settings)
                                                  : askForStationSettings(this, settings);
    if (chosen)
        saveStationSettings(settings);
}

void TForm1::Disconnect1Click() {
    live_->stop();
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
    runCommand([this] { decodePuzzles(session_, *panes_); });
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
        Memo1->resize(Memo1->width(), kExpandedReportHeight);
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
    });
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
