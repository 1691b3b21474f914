// The main window's panes and menu, at the places of the window design.
#include "app/main_window.h"

#include "app/builtin_pictures.h"
#include "app/click_label.h"
#include "app/list_box.h"
#include "app/live_link.h"
#include "app/picture_box.h"
#include "app/program_icon.h"
#include "app/window_panes.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QStatusBar>

namespace zelto {

namespace {

constexpr int kClientWidth = 831;
constexpr int kClientHeight = 704;
// Small enough for the window and its status line on a 1366 x 768 screen at 120 dpi.
constexpr int kLeastClientHeight = 460;
constexpr int kStripTop = 176;
constexpr int kIconSize = 57;
constexpr int kImagesTop = 312;
constexpr int kReportHeight = 113;

// The client area: the design's size at first, and any size from its least on; the panes
// follow its size.
class PaneArea : public QWidget {
  public:
    PaneArea(QWidget* parent, std::function<void()> placePanes)
        : QWidget(parent), placePanes_(std::move(placePanes)) {
        setMinimumSize(kClientWidth, kLeastClientHeight);
    }
    QSize sizeHint() const override { return {kClientWidth, kClientHeight}; }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        placePanes_();
    }

  private:
    std::function<void()> placePanes_;
};

QFont fontOfPoints(QFontDatabase::SystemFont kind, int points, bool bold = false) {
    QFont font = QFontDatabase::systemFont(kind);
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

bool monospaced(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QLatin1Char('W'));
    for (QChar c : QStringLiteral("il. 0M"))
        if (metrics.horizontalAdvance(c) != width)
            return false;
    return true;
}

// The report is read back by character position, so its font must be fixed-pitch even where
// the platform's fixed font is not.
QFont reportFont() {
    QFont font = fontOfPoints(QFontDatabase::FixedFont, 8);
    if (monospaced(font))
        return font;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family))
            continue;
        font.setFamily(family);
        if (monospaced(font))
            break;
    }
    return font;
}

// Labels keep the design's place; one whose text is wider than the design's width grows to
// fit it, as a label sized to its caption does.
ClickLabel* addLabel(QWidget* parent, const QString& name, const QString& text, QRect place,
                     bool bold) {
    auto* label = new ClickLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    if (bold)
        label->setFont(fontOfPoints(QFontDatabase::GeneralFont, 8, true));
    place.setWidth(std::max(place.width(), label->sizeHint().width()));
    label->setGeometry(place);
    return label;
}

ListBox* addList(QWidget* parent, const QString& name, const QRect& place, const QString& hint) {
    auto* list = new ListBox(parent);
    list->setObjectName(name);
    list->setGeometry(place);
    list->setToolTip(hint);
    return list;
}

PictureBox* addPicture(QWidget* parent, const QString& name, const QRect& place) {
    auto* picture = new PictureBox(parent);
    picture->setObjectName(name);
    picture->setGeometry(place);
    return picture;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" Zelto Beacon decoder    v1.3     by QG9MCE"));
    setFont(fontOfPoints(QFontDatabase::GeneralFont, 8));
    setWindowIcon(programIcon());
    buildPanes();
    buildMenu();
    // The design's size at first; the window can be made smaller to fit a small screen, or
    // larger, and the panes follow.
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    layout()->activate();
    loadBuiltinPictures();
}

TForm1::~TForm1() = default;

void TForm1::buildPanes() {
    auto* client = new PaneArea(this, [this] { placePanes(); });
    client->setObjectName(QStringLiteral("client"));
    client_ = client;
    setCentralWidget(client);

    Edit1 = new QLineEdit(client);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setGeometry(8, 8, 673, 21);

    Label1 = addLabel(client, QStringLiteral("Label1"), QStringLiteral("Click to resize"),
                      {752, 24, 65, 13}, false);
    connect(Label1, &ClickLabel::clicked, this, &TForm1::Label1Click);
    Label1->move(std::min(752, kClientWidth - 14 - Label1->width()), 24);

    addLabel(client, QStringLiteral("Label2"), QStringLiteral("Received Icons:"), {8, 160, 94, 13},
             true);
    ListBox1 = addList(client, QStringLiteral("ListBox1"), {8, 176, 153, 113},
                       QStringLiteral(" Click to see the icon"));
    connect(ListBox1, &ListBox::userSelected, this, &TForm1::ListBox1Click);

    Image8 = addPicture(client, QStringLiteral("Image8"), {176, kStripTop, kIconSize, kIconSize});
    connect(Image8, &PictureBox::clicked, this, &TForm1::Image8Click);

    // The icon strip in its order on the window, left to right.
    const std::array<std::pair<const char*, int>, 8> strip{{{"Image1", 248},
                                                            {"Image2", 320},
                                                            {"Image3", 392},
                                                            {"Image4", 464},
                                                            {"Image5", 536},
                                                            {"Image6", 608},
                                                            {"Image9", 680},
                                                            {"Image10", 752}}};
    PaneWidgets widgets;
    for (std::size_t i = 0; i < strip.size(); ++i)
        widgets.pictures[i] = addPicture(client, QString::fromLatin1(strip[i].first),
                                         {strip[i].second, kStripTop, kIconSize, kIconSize});

    // The free strip between the icon strip and Label4 tells how far the image previewed in
    // Image7 has come.
    Label6 = new QLabel(client);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setTextFormat(Qt::PlainText);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Label6->setGeometry(176, 240, 649, 52);

    addLabel(client, QStringLiteral("Label3"), QStringLiteral("Received Images:"),
             {8, 296, 103, 13}, true);
    Label4 = addLabel(client, QStringLiteral("Label4"), QString(), {176, 296, 0, 13}, true);
    Label4->setToolTip(
        QStringLiteral("List of received thumbnails, puzzles or other scheduled images"));
    setAutoWidthText(Label4, QString());
    connect(Label4, &ClickLabel::clicked, this, &TForm1::Label4Click);

    ListBox2 = addList(
        client, QStringLiteral("ListBox2"), {8, 312, 153, 217},
        QStringLiteral(" Click to see the image: thumbnail, puzzle or other sheduled images"));
    connect(ListBox2, &ListBox::userSelected, this, &TForm1::ListBox2Click);

    Image7 = addPicture(client, QStringLiteral("Image7"), {176, kImagesTop, 609, 385});
    connect(Image7, &PictureBox::clicked, this, &TForm1::Image7Click);

    Label5 = addLabel(client, QStringLiteral("Label5"), QStringLiteral("Incomplete thumbnails:"),
                      {8, 536, 131, 13}, true);
    ListBox3 = addList(client, QStringLiteral("ListBox3"), {8, 552, 153, 142},
                       QStringLiteral("Click on ID to see number of missing frames"));
    connect(ListBox3, &ListBox::userSelected, this, &TForm1::ListBox3Click);

    Memo1 = new QPlainTextEdit(client);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    // Report lines are plain Latin text: shaping them glyph by glyph is wasted work on a pane
    // that takes a whole day's capture.
    QFont memoFont = reportFont();
    memoFont.setStyleStrategy(QFont::PreferNoShaping);
    Memo1->setFont(memoFont);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    // The pane can hold a whole capture's report; an undo history of it is not wanted.
    Memo1->setUndoRedoEnabled(false);
    Memo1->setGeometry(8, 40, 817, 113);
    // Enlarged, the report pane covers the labels and picture panes below it.
    Memo1->raise();
    Memo1->viewport()->installEventFilter(this);

    setTabOrder(Edit1, Memo1);
    setTabOrder(Memo1, ListBox1);
    setTabOrder(ListBox1, ListBox2);
    setTabOrder(ListBox2, ListBox3);

    widgets.pictures[static_cast<std::size_t>(PicturePane::Image7)] = Image7;
    widgets.pictures[static_cast<std::size_t>(PicturePane::Image8)] = Image8;
    widgets.window = this;
    widgets.memo1 = Memo1;
    widgets.lists = {ListBox1, ListBox2, ListBox3};
    widgets.label4 = Label4;
    widgets.label6 = Label6;
    widgets.edit1 = Edit1;
    panes_ =
        std::make_unique<WindowPanes>(widgets, [this](const QString& text) { showMessage(text); });

    for (PictureBox* viewer : {Image7, Image8})
        viewer->setToolTip(QStringLiteral(
            "Click to fit the picture to the pane, its proportions kept; click again for "
            "its own size"));

    // The state of a live session and of a fetch; the bar shows only once one has begun.
    auto* liveState = new QLabel(this);
    liveState->setObjectName(QStringLiteral("LiveState"));
    statusBar()->addWidget(liveState, 1);
    fetchState_ = new QLabel(this);
    fetchState_->setObjectName(QStringLiteral("FetchState"));
    statusBar()->addWidget(fetchState_);
    fetchState_->hide();
    statusBar()->hide();
    live_ = new LiveLink(
        session_, *panes_, liveState, [this](const QString& text) { showMessage(text); }, this);
    connect(live_, &LiveLink::activeChanged, this, [this](bool active) {
        statusBar()->show();
        Disconnect1->setEnabled(active);
        Retrynow1->setEnabled(active);
    });
}

// The design's places, with the extra width going to the report pane, the file field and the
// large viewer, and the extra height (or the height missing) shared by the large viewer and
// the image lists beside it.
void TForm1::placePanes() {
    if (Memo1 == nullptr)
        return;
    const int wider = client_->width() - kClientWidth;
    const int height = client_->height();
    Edit1->setGeometry(8, 8, 673 + wider, 21);
    // A caption wider than the design's 65 pixels keeps to the report pane's right edge rather
    // than touch the window's.
    Label1->move(std::min(752, kClientWidth - 14 - Label1->width()) + wider, 24);
    const bool expanded = Memo1->height() != kReportHeight;
    Memo1->setGeometry(8, 40, 817 + wider, expanded ? height - 47 : kReportHeight);
    Label6->setGeometry(176, 240, 649 + wider, 52);
    // The lists share the height below the image list's top as the design shares it.
    const int lists = height - kImagesTop - 10 - 23;
    const int imageList = lists * 217 / (217 + 142);
    ListBox2->setGeometry(8, kImagesTop, 153, imageList);
    Label5->move(8, kImagesTop + imageList + 7);
    ListBox3->setGeometry(8, kImagesTop + imageList + 23, 153, lists - imageList);
    Image7->setGeometry(176, kImagesTop, 609 + wider, height - kImagesTop - 7);
}

QAction* TForm1::addCommand(QMenu* menu, const QString& caption, const QString& name,
                            void (TForm1::*handler)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    if (menu != nullptr)
        menu->addAction(action);
    else
        menuBar()->addAction(action);
    return action;
}

void TForm1::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral(" &File"));
    file->setObjectName(QStringLiteral("File1"));
    addCommand(file, QStringLiteral("Open .&KSS file"), QStringLiteral("OpenKSSfile1"),
               &TForm1::OpenKSSfile1Click);
    addCommand(file, QStringLiteral("Open .&txt file"), QStringLiteral("txtTOhex"),
               &TForm1::txtTOhexClick);
    addCommand(file, QStringLiteral("Open .&HEX file"), QStringLiteral("OpenHEXfile1"),
               &TForm1::OpenHEXfile1Click);
    addCommand(file, QStringLiteral("Open &SatNOGS frames file"),
               QStringLiteral("OpenSatNOGSframesfile1"), &TForm1::OpenSatNOGSframesfile1Click);
    addCommand(file, QStringLiteral("Open &recording..."), QStringLiteral("Openrecording1"),
               &TForm1::Openrecording1Click);
    addCommand(file, QStringLiteral("&Fetch frames from SatNOGS DB..."),
               QStringLiteral("FetchframesfromSatNOGSDB1"),
               &TForm1::FetchframesfromSatNOGSDB1Click);
    addCommand(file, QStringLiteral("Open Thumblist.txt &log file"), QStringLiteral("Openlogfile1"),
               &TForm1::Openlogfile1Click);
    file->addSeparator();
    addCommand(file, QStringLiteral("&Connect to KISS server..."),
               QStringLiteral("ConnecttoKISSserver1"), &TForm1::ConnecttoKISSserver1Click);
    addCommand(file, QStringLiteral("Listen to sound c&ard..."),
               QStringLiteral("Listentosoundcard1"), &TForm1::Listentosoundcard1Click);
    Disconnect1 = addCommand(file, QStringLiteral("&Disconnect"), QStringLiteral("Disconnect1"),
                             &TForm1::Disconnect1Click);
    Disconnect1->setEnabled(false);
    // Skips the pause before the next try of a lost connection.
    Retrynow1 = addCommand(file, QStringLiteral("&Retry now"), QStringLiteral("Retrynow1"),
                           &TForm1::Retrynow1Click);
    Retrynow1->setEnabled(false);
    addCommand(file, QStringLiteral("Station s&ettings..."), QStringLiteral("StationSettings1"),
               &TForm1::StationSettings1Click);
    file->addSeparator();
    addCommand(file, QStringLiteral("E&xit"), QStringLiteral("Exit1"), &TForm1::Exit1Click);

    QMenu* show = menuBar()->addMenu(QStringLiteral(" &Show"));
    show->setObjectName(QStringLiteral("Saved1"));
    addCommand(show, QStringLiteral(" All received &thumbnails"), QStringLiteral("humbnails1"),
               &TForm1::humbnails1Click);
    addCommand(show, QStringLiteral(" All received &icons"), QStringLiteral("Allreceivedicons1"),
               &TForm1::Allreceivedicons1Click);

    QMenu* puzzles = menuBar()->addMenu(QStringLiteral(" &Puzzles"));
    puzzles->setObjectName(QStringLiteral("Puzzles1"));
    addCommand(puzzles, QStringLiteral("&Decode"), QStringLiteral("Decode1"),
               &TForm1::Decode1Click);

    // The last two items are commands themselves, without a menu. Access keys (Alt+F, ...)
    // add nothing to the captions shown.
    addCommand(nullptr, QStringLiteral(" &Help"), QStringLiteral("help"), &TForm1::helpClick);
    addCommand(nullptr, QStringLiteral(" &About"), QStringLiteral("About1"), &TForm1::About1Click);
}

void TForm1::loadBuiltinPictures() {
    Image7->setPicture(builtinCardPicture());
    Image8->setPicture(builtinIconPicture());
}

} // namespace zelto
