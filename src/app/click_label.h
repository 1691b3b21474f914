#pragma once

#include <QLabel>

namespace zelto {

// A label that reports a left-button click (press and release over it).
class ClickLabel : public QLabel {
    Q_OBJECT

  public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

} // namespace zelto
