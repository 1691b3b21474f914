#pragma once

#include "app/tool_window.h"

#include <QUrl>

#include <functional>

namespace zelto {

// The About window: the author, a link to the author's page, and the thanks.
class TForm2 : public ToolWindow {
    Q_OBJECT

  public:
    explicit TForm2(QWidget* mainWindow);

    // The author's page: the link's caption and the address it opens.
    static QString authorPage();

    // Opens the author's page in the default browser; the outcome is not reported.
    void StaticText2Click();

    // Takes the request in place of the desktop (tests).
    std::function<void(const QUrl& url)> openUrlHook;
};

} // namespace zelto
