#pragma once

#include "core/panes.h"
#include "core/session.h"

#include <filesystem>
#include <string>

namespace zelto {

struct ReceptionStats;

// File > Open recording..., once the dialog has given a recording (WAV, FLAC, Ogg Vorbis):
// the beacon demodulated from it, its frames written as the KISS capture NAME.kss in the
// working folder, byte for byte as a sound modem's capture holds them, and opened as File >
// Open .KSS file opens it. The report ends with one line on what the recording held. A
// recording without a frame writes nothing; one that is no audio fails naming the file.
void openRecording(Session& session, Panes& panes, const std::filesystem::path& recording);

// The report's last line: " >>>  pass.ogg: 12 frames found, a signal in 38 % of it, quality
// 9.4 to 17.8 dB".
std::string recordingReportLine(const std::string& name, const ReceptionStats& stats);

} // namespace zelto
