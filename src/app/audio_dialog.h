#pragma once

#include "live/station.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace zelto {

// What File > Listen to sound card... asks: the input (a description as Qt Multimedia lists
// it), and the port on which every frame received is also served to KISS clients (0: none).
struct AudioChoice {
    QString device;
    quint16 kissServePort = 0;
};

// The choice used last, and keeping the one made for the next start.
AudioChoice savedAudioChoice();
void saveAudioChoice(const AudioChoice& choice);
// Where a live session serves its frames, whatever its source: 127.0.0.1 and the saved port.
KissServe savedKissServe();

// Asks for an input among `devices`, starting from `choice`; false when cancelled or when
// there is none to choose.
bool askForAudioInput(QWidget* parent, const QStringList& devices, AudioChoice& choice);

} // namespace zelto
