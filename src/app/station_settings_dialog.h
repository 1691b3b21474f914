#pragma once

#include "live/sids_report.h"

class QWidget;

namespace zelto {

// The station's settings for forwarding frames, kept for the next start.
StationSettings savedStationSettings();
void saveStationSettings(const StationSettings& settings);

// File > Station settings...: false when cancelled.
bool askForStationSettings(QWidget* parent, StationSettings& settings);

} // namespace zelto
