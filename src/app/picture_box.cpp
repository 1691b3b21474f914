// A picture pane: a bitmap or JPEG shown as is or stretched.
#include "app/picture_box.h"

#include <QPainter>

namespace zelto {

namespace {
constexpr int kNoticeMargin = 4;
}

PictureBox::PictureBox(QWidget* parent) : ClickLabel(QString(), parent) {}

void PictureBox::setPicture(const Picture& picture) {
    picture_ = picture;
    notice_.clear();
    update();
}

void PictureBox::clearPicture() {
    picture_ = Picture();
    notice_.clear();
    update();
}

void PictureBox::showNotice(const QString& text) {
    picture_ = Picture();
    notice_ = text;
    update();
}

void PictureBox::setStretch(bool on) {
    stretch_ = on;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) {
        if (!notice_.isEmpty()) {
            QPainter painter(this);
            painter.drawText(rect().adjusted(kNoticeMargin, kNoticeMargin, -kNoticeMargin, 0),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, notice_);
        }
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), shownSize()), picture_.image());
}

QSize PictureBox::shownSize() const {
    const QSize own = picture_.image().size();
    if (!stretch_ && own.width() <= width() && own.height() <= height())
        return own;
    return own.scaled(size(), Qt::KeepAspectRatio);
}

} // namespace zelto
