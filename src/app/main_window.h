#pragma once

#include "core/file_io.h"
#include "core/session.h"

#include <QMainWindow>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;

namespace zelto {

class ClickLabel;
class LiveLink;
class SatnogsFetch;
struct AudioChoice;
struct FetchChoice;
struct KissServerAddress;
struct StationSettings;
class ListBox;
class PictureBox;
class WindowPanes;
class Panes;

// The main window: the menu, the report pane, the three lists, the ten picture panes, the file
// field and the description label, and the handlers behind them. Each handler runs one command
// to its end; a failure ends it with its message in a box and leaves the window usable.
class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The About and Help windows, shown by the two top-level menu commands.
    void setSecondaryWindows(QWidget* about, QWidget* help);

    // Answer the open dialogs, take the messages and the shell requests in place of the
    // operator and the desktop (tests and benchmarks). Unset: real dialogs and boxes.
    std::function<QString(const QString& filter)> openDialogHook;
    std::function<void(const QString& text)> messageHook;
    std::function<void(const QUrl& url)> openUrlHook;
    // Answers File > Connect to KISS server... in place of its dialog: false for Cancel.
    std::function<bool(KissServerAddress& address)> kissServerDialogHook;
    // Stands in for File > Listen to sound card...'s dialog.
    std::function<bool(AudioChoice& choice)> audioDialogHook;
    // Answers File > Station settings... in place of its dialog: false for Cancel.
    std::function<bool(StationSettings& settings)> stationSettingsDialogHook;
    // Answers File > Fetch frames from SatNOGS DB... in place of its dialog: false for Cancel.
    std::function<bool(FetchChoice& choice)> fetchDialogHook;
    // Answers a question with Yes (true) or No in place of its box.
    std::function<bool(const QString& question)> questionHook;

    Session& session() { return session_; }
    Panes& panes();

    // Start-up, on the first show.
    void FormShow();

    // Menu commands.
    void OpenKSSfile1Click();
    void txtTOhexClick();
    void OpenHEXfile1Click();
    void OpenSatNOGSframesfile1Click();
    void Openrecording1Click();
    void Openlogfile1Click();
    void FetchframesfromSatNOGSDB1Click();
    void ConnecttoKISSserver1Click();
    void Listentosoundcard1Click();
    void Disconnect1Click();
    void Retrynow1Click();
    void StationSettings1Click();
    void Exit1Click();
    void humbnails1Click();
    void Allreceivedicons1Click();
    void Decode1Click();
    void helpClick();
    void About1Click();

    // Clicks on panes.
    void Label1Click();
    void ListBox1Click();
    void ListBox2Click();
    void ListBox3Click();
    // A click on a report line of an incomplete puzzle shows what has arrived of it.
    void Memo1Click();
    void Image7Click();
    void Image8Click();
    void Label4Click();

    // The decoding pass over an open HEX frame file, with thumbnail assembly.
    void calcula(InputFile& input);
    // Empties the ten picture panes.
    void apaga();

    // A modal box titled with the program's name (or the message hook).
    void showMessage(const QString& text);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildPanes();
    void buildMenu();
    void loadBuiltinPictures();
    QAction* addCommand(QMenu* menu, const QString& caption, const QString& name,
                        void (TForm1::*handler)());
    // Runs a command; a failure ends it with its message. One that may change the store
    // holds a live session's decoding while it runs, never while a box waits.
    void runCommand(const std::function<void()>& command, bool changesStore = false);
    // An open command: the dialog with its filter, then the command on the chosen file.
    void openCommand(const QString& description, const QString& pattern,
                     void (*command)(Session&, Panes&, const std::filesystem::path&));
    // The file the operator picks; empty when the dialog is cancelled.
    QString chooseFile(const QString& filter);
    bool ask(const QString& question);
    void showToolWindow(QWidget* window);
    // Label4 over a preview: the description the log holds for the image, or that it holds
    // none.
    void describePreview(const std::string& imageId);
    void fetchEnded(const QString& line, const QString& path);
    void openFetched(const QString& path);
    void placePanes();

    Session session_;
    std::unique_ptr<WindowPanes> panes_;
    bool shownOnce_ = false;
    QWidget* about_ = nullptr;
    QWidget* help_ = nullptr;
    LiveLink* live_ = nullptr;
    SatnogsFetch* fetch_ = nullptr;
    int commandsRunning_ = 0;
    QAction* Disconnect1 = nullptr;
    QAction* Retrynow1 = nullptr;
    QLabel* fetchState_ = nullptr;
    QWidget* client_ = nullptr;

    QLineEdit* Edit1 = nullptr;
    ClickLabel* Label1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    ListBox* ListBox1 = nullptr;
    ListBox* ListBox2 = nullptr;
    ListBox* ListBox3 = nullptr;
    ClickLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr; // progress of the image previewed in Image7
    QLabel* Label5 = nullptr;
    PictureBox* Image7 = nullptr;
    PictureBox* Image8 = nullptr;
};

} // namespace zelto
