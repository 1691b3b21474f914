#pragma once

#include "app/list_box.h"
#include "app/main_window.h"
#include "support/test_support.h"
#include "support/widget_app.h"

#include <QLabel>
#include <QSettings>

#include <functional>

namespace zelto::test {

// A main window on a working folder of its own, beside a folder for captures, with its
// settings kept there too; its open dialog, boxes and questions are answered by the test.
class WindowFixture : public WidgetTest {
  protected:
    WindowFixture() {
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(nest.root().string()));
        form.messageHook = [this](const QString& text) { messages << text; };
        form.openDialogHook = [this](const QString& filter) {
            filters << filter;
            if (inDialog)
                inDialog();
            return QString::fromStdString(chosen.string());
        };
        form.questionHook = [this](const QString& question) {
            questions << question;
            return answer;
        };
        form.show();
    }
    ~WindowFixture() override { form.hide(); }

    template <typename T = QWidget> T* pane(const char* name) {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
    QStringList entries(const char* list) {
        QStringList texts;
        auto* box = pane<ListBox>(list);
        for (int i = 0; i < box->count(); ++i)
            texts << box->item(i)->text();
        return texts;
    }
    std::vector<std::string> report() { return form.panes().reportLines(); }
    // The status line of a live session.
    QString state() { return pane<QLabel>("LiveState")->text(); }

    NestedWorkFolder nest;
    TForm1 form;
    QStringList messages;
    QStringList filters;
    QStringList questions;
    bool answer = true;
    // What the open dialog answers, after running `inDialog` (a file changed while chosen).
    fs::path chosen;
    std::function<void()> inDialog;
};

} // namespace zelto::test
