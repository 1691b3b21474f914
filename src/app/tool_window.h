#pragma once

#include <QWidget>

namespace zelto {

// A small modeless window over the main window: caption bar with a close button only,
// centred over the main window each time it is shown. Closing it only hides it.
class ToolWindow : public QWidget {
    Q_OBJECT

  public:
    ToolWindow(QWidget* mainWindow, const QString& caption);

  protected:
    void showEvent(QShowEvent* event) override;
    // Runs each time the window goes from hidden to shown.
    virtual void shownAgain() {}
};

} // namespace zelto
