#pragma once

class QDialog;
class QString;

namespace zelto {

// Sets a dialog's title and a minimum width at which the window manager shows it whole, with
// room for its buttons: a narrow form would otherwise have it cut ("Conne...server").
void setDialogTitle(QDialog* dialog, const QString& title);

} // namespace zelto
