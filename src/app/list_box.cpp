// The window's list boxes: entries, selection from code, clicks.
#include "app/list_box.h"

#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace zelto {

namespace {

constexpr int kEntryHeight = 13;

class FixedHeightDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kEntryHeight};
    }
};

// Sets a flag for the lifetime of a scope.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }

  private:
    bool& flag_;
};

} // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new FixedHeightDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, &ListBox::onCurrentRowChanged);
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { countRows(first, last, 1); });
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { countRows(first, last, -1); });
    connect(model(), &QAbstractItemModel::modelReset, this, [this] { counts_.clear(); });
}

// The model goes after the counts, in QListWidget's destructor: it must not tell them.
ListBox::~ListBox() {
    model()->disconnect(this);
}

void ListBox::countRows(int first, int last, int by) {
    for (int row = first; row <= last; ++row) {
        const QString text = model()->index(row, 0).data().toString();
        const int now = counts_.value(text) + by;
        if (now > 0)
            counts_.insert(text, now);
        else
            counts_.remove(text);
    }
}

void ListBox::selectLastQuietly() {
    FlagScope quiet(fromCode_);
    setCurrentRow(count() - 1);
}

int ListBox::rowOf(const QString& text) const {
    if (!contains(text))
        return -1;
    for (int row = 0; row < count(); ++row)
        if (item(row)->text() == text)
            return row;
    return -1;
}

void ListBox::removeRowQuietly(int row) {
    if (row < 0)
        return;
    FlagScope quiet(fromCode_);
    delete takeItem(row);
}

bool ListBox::selectedText(QString& text) const {
    const QListWidgetItem* entry = currentItem();
    if (entry == nullptr)
        return false;
    text = entry->text();
    return true;
}

void ListBox::onCurrentRowChanged(int row) {
    if (fromCode_ || row < 0)
        return;
    // A mouse selection is reported once, when the button is released.
    if (mouseDown_) {
        changedWhileDown_ = true;
        return;
    }
    emit userSelected();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mouseDown_ = true;
        changedWhileDown_ = false;
        pressedOnEntry_ = itemAt(event->position().toPoint()) != nullptr;
    }
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !mouseDown_)
        return;
    mouseDown_ = false;
    if ((pressedOnEntry_ || changedWhileDown_) && currentRow() >= 0)
        emit userSelected();
}

// Qt makes the first entry current when the list gets the focus from the keyboard; that is
// not the operator's choice of an entry.
void ListBox::focusInEvent(QFocusEvent* event) {
    FlagScope quiet(fromCode_);
    QListWidget::focusInEvent(event);
}

} // namespace zelto
