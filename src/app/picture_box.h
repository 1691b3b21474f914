#pragma once

#include <QImage>
#include <QWidget>

namespace zelto {

// A picture pane: shows its picture at the picture's own size from the top-left corner, cut
// off at the pane's edges, or scaled to fill the whole pane (proportions not kept) while
// stretching is on. An empty pane shows the window background.
class PictureBox : public QWidget {
    Q_OBJECT

  public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    void clearPicture();
    const QImage& picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

    void setStretch(bool on);
    bool stretch() const { return stretch_; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage picture_;
    bool stretch_ = false;
    bool pressed_ = false;
};

} // namespace zelto
