#pragma once

#include "live/sids_report.h"

#include <QString>

class QWidget;

namespace zelto {

// The station's settings for forwarding frames, kept for the next start.
StationSettings savedStationSettings();
void saveStationSettings(const StationSettings& settings);

// The SatNOGS DB's API token, kept with the station settings and never shown.
QString savedDbToken();
void saveDbToken(const QString& token);

// File > Station settings...: false when cancelled. OK keeps the dialog open, with the reason
// in it, while forwarding is on with settings that cannot forward.
bool askForStationSettings(QWidget* parent, StationSettings& settings, QString& token);

} // namespace zelto
