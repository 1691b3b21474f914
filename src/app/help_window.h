#pragma once

#include "app/tool_window.h"

class QPlainTextEdit;

namespace zelto {

// The Help window: the help text in English and Portuguese, rebuilt each time it is shown,
// so whatever was typed into it is gone.
class TForm3 : public ToolWindow {
    Q_OBJECT

  public:
    explicit TForm3(QWidget* mainWindow);

    void FormShow();

  protected:
    void shownAgain() override { FormShow(); }

  private:
    QPlainTextEdit* Memo1 = nullptr;
};

} // namespace zelto
