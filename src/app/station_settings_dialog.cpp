// File > Station settings...: the station's forwarding settings, kept in QSettings.
#include "app/station_settings_dialog.h"

#include "app/dialog_title.h"
#include "live/text_codec.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>

namespace zelto {

namespace {
const QString kForwarding = QStringLiteral("station/forwarding");
const QString kCallsign = QStringLiteral("station/callsign");
const QString kLatitude = QStringLiteral("station/latitude");
const QString kLongitude = QStringLiteral("station/longitude");
const QString kNorad = QStringLiteral("station/norad");
const QString kServer = QStringLiteral("station/server");
const QString kToken = QStringLiteral("satnogs/token");

QDoubleSpinBox* degreesBox(double limit, double value, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(-limit, limit);
    box->setDecimals(4);
    box->setValue(value);
    return box;
}
} // namespace

StationSettings savedStationSettings() {
    const QSettings stored;
    StationSettings settings;
    settings.forwarding = stored.value(kForwarding, false).toBool();
    settings.callsign = stored.value(kCallsign).toString().toStdString();
    settings.latitude = stored.value(kLatitude, 0.0).toDouble();
    settings.longitude = stored.value(kLongitude, 0.0).toDouble();
    settings.noradId = stored.value(kNorad, 0).toLongLong();
    settings.serverUrl =
        stored.value(kServer, QString::fromStdString(settings.serverUrl)).toString().toStdString();
    return settings;
}

void saveStationSettings(const StationSettings& settings) {
    QSettings stored;
    stored.setValue(kForwarding, settings.forwarding);
    stored.setValue(kCallsign, QString::fromStdString(settings.callsign));
    stored.setValue(kLatitude, settings.latitude);
    stored.setValue(kLongitude, settings.longitude);
    stored.setValue(kNorad, static_cast<qlonglong>(settings.noradId));
    stored.setValue(kServer, QString::fromStdString(settings.serverUrl));
}

QString savedDbToken() {
    return QSettings().value(kToken).toString();
}

void saveDbToken(const QString& token) {
    QSettings().setValue(kToken, token);
}

bool askForStationSettings(QWidget* parent, StationSettings& settings, QString& token) {
    QDialog dialog(parent);
    setDialogTitle(&dialog, QStringLiteral("Station settings"));
    auto* forwarding = new QCheckBox(
        QStringLiteral("Forward the frames received live to the network of stations (SiDS)"),
        &dialog);
    forwarding->setChecked(settings.forwarding);
    auto* callsign = new QLineEdit(QString::fromStdString(settings.callsign), &dialog);
    callsign->setObjectName(QStringLiteral("callsign"));
    auto* latitude = degreesBox(90, settings.latitude, &dialog);
    auto* longitude = degreesBox(180, settings.longitude, &dialog);
    auto* norad = new QSpinBox(&dialog);
    norad->setObjectName(QStringLiteral("norad"));
    norad->setRange(0, 999999999);
    norad->setSpecialValueText(QStringLiteral("(enter the satellite's NORAD ID)"));
    norad->setValue(static_cast<int>(settings.noradId));
    auto* server = new QLineEdit(QString::fromStdString(settings.serverUrl), &dialog);
    auto* dbToken = new QLineEdit(token, &dialog);
    dbToken->setObjectName(QStringLiteral("token"));
    dbToken->setEchoMode(QLineEdit::Password);
    dbToken->setPlaceholderText(QStringLiteral("for File > Fetch frames from SatNOGS DB..."));
    auto* problem = new QLabel(&dialog);
    problem->setObjectName(QStringLiteral("problem"));
    problem->setWordWrap(true);
    problem->setStyleSheet(QStringLiteral("color: #b00000"));
    problem->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    StationSettings chosen;
    const auto read = [&] {
        chosen.forwarding = forwarding->isChecked();
        chosen.callsign = callsign->text().trimmed().toStdString();
        chosen.latitude = latitude->value();
        chosen.longitude = longitude->value();
        chosen.noradId = norad->value();
        chosen.serverUrl = server->text().trimmed().toStdString();
    };
    // Settings that could not forward are refused here, where they can be mended.
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        read();
        const std::string why = chosen.forwarding ? stationSettingsProblem(chosen) : "";
        if (why.empty()) {
            dialog.accept();
            return;
        }
        problem->setText(fromWindows1252(why));
        problem->show();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(forwarding);
    form->addRow(QStringLiteral("Callsign:"), callsign);
    form->addRow(QStringLiteral("Latitude (north positive):"), latitude);
    form->addRow(QStringLiteral("Longitude (east positive):"), longitude);
    form->addRow(QStringLiteral("Satellite NORAD ID:"), norad);
    form->addRow(QStringLiteral("Server:"), server);
    form->addRow(QStringLiteral("SatNOGS DB API token:"), dbToken);
    form->addRow(problem);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings = chosen;
    token = dbToken->text().trimmed();
    return true;
}

} // namespace zelto
