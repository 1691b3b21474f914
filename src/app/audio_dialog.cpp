// File > Listen to sound card...: the input chosen and the KISS port served, remembered.
#include "app/audio_dialog.h"

#include "app/dialog_title.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>

namespace zelto {

namespace {
const QString kDeviceKey = QStringLiteral("audio/device");
const QString kServeKey = QStringLiteral("kissServe/port");
} // namespace

AudioChoice savedAudioChoice() {
    const QSettings settings;
    AudioChoice choice;
    choice.device = settings.value(kDeviceKey).toString();
    const uint port = settings.value(kServeKey, 0).toUInt();
    if (port <= 65535)
        choice.kissServePort = static_cast<quint16>(port);
    return choice;
}

void saveAudioChoice(const AudioChoice& choice) {
    QSettings settings;
    settings.setValue(kDeviceKey, choice.device);
    settings.setValue(kServeKey, choice.kissServePort);
}

KissServe savedKissServe() {
    KissServe serve;
    serve.port = savedAudioChoice().kissServePort;
    return serve;
}

bool askForAudioInput(QWidget* parent, const QStringList& devices, AudioChoice& choice) {
    if (devices.isEmpty())
        return false;
    QDialog dialog(parent);
    setDialogTitle(&dialog, QStringLiteral("Listen to sound card"));
    auto* input = new QComboBox(&dialog);
    input->addItems(devices);
    input->setCurrentIndex(std::max(0, static_cast<int>(devices.indexOf(choice.device))));
    auto* serve = new QSpinBox(&dialog);
    serve->setRange(0, 65535);
    serve->setSpecialValueText(QStringLiteral("off"));
    serve->setValue(choice.kissServePort);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Input (the radio's data port):"), input);
    form->addRow(QStringLiteral("Serve frames to KISS clients on port:"), serve);
    form->addRow(new QLabel(QStringLiteral("Other programs on this computer connect to "
                                           "127.0.0.1 on that port, as to a sound modem."),
                            &dialog));
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice.device = input->currentText();
    choice.kissServePort = static_cast<quint16>(serve->value());
    return true;
}

} // namespace zelto
