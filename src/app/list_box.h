#pragma once

#include <QHash>
#include <QListWidget>

namespace zelto {

// A list of text entries, unsorted, 13 pixels per entry. userSelected() is emitted when the
// operator picks an entry with the mouse (also the one already selected) or moves the
// selection with the keyboard; never when the program selects an entry.
class ListBox : public QListWidget {
    Q_OBJECT

  public:
    explicit ListBox(QWidget* parent = nullptr);
    ~ListBox() override;

    void selectLastQuietly();
    // The first row holding the text, -1 when none does.
    int rowOf(const QString& text) const;
    // Whether an entry holds the text, without a walk through the list: a live session asks
    // for every entry it adds, and a long one lists tens of thousands.
    bool contains(const QString& text) const { return counts_.contains(text); }
    // Removes a row (none when -1) without telling of a new selection.
    void removeRowQuietly(int row);
    // The text of the selected entry; false when none is selected.
    bool selectedText(QString& text) const;

  signals:
    void userSelected();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void onCurrentRowChanged(int row);
    void countRows(int first, int last, int by);

    QHash<QString, int> counts_; // entries by their text, kept with the model's rows
    bool fromCode_ = false;
    bool mouseDown_ = false;
    bool pressedOnEntry_ = false;
    bool changedWhileDown_ = false;
};

} // namespace zelto
