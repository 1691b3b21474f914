// File > Fetch frames from SatNOGS DB...: which satellite, since when, from which DB.
#include "app/fetch_dialog.h"

#include "app/dialog_title.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>

namespace zelto {

namespace {
const QString kServerKey = QStringLiteral("satnogs/server");
}

QString savedDbServer() {
    return QSettings().value(kServerKey, FetchChoice().server).toString();
}

void saveDbServer(const QString& server) {
    QSettings().setValue(kServerKey, server);
}

bool askForFetch(QWidget* parent, FetchChoice& choice) {
    QDialog dialog(parent);
    setDialogTitle(&dialog, QStringLiteral("Fetch frames from SatNOGS DB"));
    auto* norad = new QSpinBox(&dialog);
    norad->setRange(0, 999999999);
    norad->setSpecialValueText(QStringLiteral("(enter the satellite's NORAD ID)"));
    norad->setValue(static_cast<int>(choice.noradId));
    auto* onlySince = new QCheckBox(QStringLiteral("Only frames received since (UTC):"), &dialog);
    auto* since = new QDateEdit(
        choice.since.isValid() ? choice.since : QDate::currentDate().addDays(-7), &dialog);
    since->setCalendarPopup(true);
    since->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    onlySince->setChecked(choice.since.isValid());
    since->setEnabled(onlySince->isChecked());
    QObject::connect(onlySince, &QCheckBox::toggled, since, &QWidget::setEnabled);
    auto* server = new QLineEdit(choice.server, &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Satellite NORAD ID:"), norad);
    form->addRow(onlySince, since);
    form->addRow(QStringLiteral("SatNOGS DB:"), server);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted || norad->value() <= 0)
        return false;
    choice.noradId = norad->value();
    choice.since = onlySince->isChecked() ? since->date() : QDate();
    choice.server = server->text().trimmed();
    return true;
}

} // namespace zelto
