#pragma once

#include <QListWidget>

namespace zelto {

// A list of text entries, unsorted, 13 pixels per entry. userSelected() is emitted when the
// operator picks an entry with the mouse (also the one already selected) or moves the
// selection with the keyboard; never when the program selects an entry.
class ListBox : public QListWidget {
    Q_OBJECT

  public:
    explicit ListBox(QWidget* parent = nullptr);

    void selectLastQuietly();
    // The first row holding the text, -1 when none does.
    int rowOf(const QString& text) const;
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

    bool fromCode_ = false;
    bool mouseDown_ = false;
    bool pressedOnEntry_ = false;
    bool changedWhileDown_ = false;
};

} // namespace zelto
