#pragma once

class QDialog;
class QMessageBox;
class QString;

namespace zelto {

// Sets a dialog's title and a minimum width at which the window manager shows it whole, with
// room for its buttons: a narrow form would otherwise have it cut ("Conne...server").
void setDialogTitle(QDialog* dialog, const QString& title);
// The same for a message box, which sizes itself to its text: a short message would leave
// only "Z..." of the program's name.
void fitTitle(QMessageBox* box);

} // namespace zelto
