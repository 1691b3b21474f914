// File > Connect to KISS server...: the dialog, and the address remembered.
#include "app/kiss_server_dialog.h"

#include "app/dialog_title.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>

namespace zelto {

namespace {
const QString kHostKey = QStringLiteral("kiss/host");
const QString kPortKey = QStringLiteral("kiss/port");
const QString kAtStartKey = QStringLiteral("kiss/connectAtStart");
} // namespace

KissServerAddress savedKissServer() {
    const QSettings settings;
    KissServerAddress address;
    address.host = settings.value(kHostKey, address.host).toString();
    const uint port = settings.value(kPortKey, address.port).toUInt();
    if (port >= 1 && port <= 65535)
        address.port = static_cast<quint16>(port);
    address.connectAtStart = settings.value(kAtStartKey, false).toBool();
    return address;
}

void saveKissServer(const KissServerAddress& address) {
    QSettings settings;
    settings.setValue(kHostKey, address.host);
    settings.setValue(kPortKey, address.port);
    settings.setValue(kAtStartKey, address.connectAtStart);
}

bool askForKissServer(QWidget* parent, KissServerAddress& address) {
    QDialog dialog(parent);
    setDialogTitle(&dialog, QStringLiteral("Connect to KISS server"));
    auto* host = new QLineEdit(address.host, &dialog);
    auto* port = new QSpinBox(&dialog);
    port->setRange(1, 65535);
    port->setValue(address.port);
    auto* atStart =
        new QCheckBox(QStringLiteral("Connect to this server whenever the window opens"), &dialog);
    atStart->setChecked(address.connectAtStart);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Host:"), host);
    form->addRow(QStringLiteral("Port:"), port);
    form->addRow(atStart);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted || host->text().trimmed().isEmpty())
        return false;
    address.host = host->text().trimmed();
    address.port = static_cast<quint16>(port->value());
    address.connectAtStart = atStart->isChecked();
    return true;
}

} // namespace zelto
