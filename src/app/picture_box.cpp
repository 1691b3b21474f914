#include "app/picture_box.h"

#include <QPainter>

namespace zelto {

PictureBox::PictureBox(QWidget* parent) : ClickLabel(QString(), parent) {}

void PictureBox::setPicture(const Picture& picture) {
    picture_ = picture;
    update();
}

void PictureBox::clearPicture() {
    picture_ = Picture();
    update();
}

void PictureBox::setStretch(bool on) {
    stretch_ = on;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    if (stretch_)
        painter.drawImage(rect(), picture_.image());
    else
        painter.drawImage(QPoint(0, 0), picture_.image());
}

} // namespace zelto
