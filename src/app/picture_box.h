#pragma once

#include "app/click_label.h"
#include "picture/picture.h"

#include <QImage>

namespace zelto {

// A picture pane: shows its picture from the top-left corner at the picture's own size, made
// smaller to fit a pane smaller than the picture, or, while stretching is on, as large as the
// pane allows; its proportions are always kept. An empty pane shows the window background. A
// click is reported as on any clickable label.
class PictureBox : public ClickLabel {
    Q_OBJECT

  public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const Picture& picture);
    void setPicture(const QImage& picture) { setPicture(Picture(picture)); }
    void clearPicture();
    const QImage& picture() const { return picture_.image(); }
    bool hasPicture() const { return !picture_.isNull(); }
    // Empties the pane and writes a short text in it from the top-left corner, in place of a
    // picture that cannot be shown; the next picture or emptying removes it.
    void showNotice(const QString& text);
    const QString& notice() const { return notice_; }

    void setStretch(bool on);
    bool stretch() const { return stretch_; }
    // The size the picture is drawn at.
    QSize shownSize() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Picture picture_;
    QString notice_;
    bool stretch_ = false;
};

} // namespace zelto
