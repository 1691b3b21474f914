#pragma once

#include <QString>

class QWidget;

namespace zelto {

// Where the live session connects: a KISS TCP server.
struct KissServerAddress {
    QString host = QStringLiteral("localhost");
    quint16 port = 8100;         // the sound modem's usual KISS port
    bool connectAtStart = false; // the window connects as soon as it opens
};

// The address used last (and whether to connect at start-up), or the defaults; and keeping the one
// chosen for the next start.
KissServerAddress savedKissServer();
void saveKissServer(const KissServerAddress& address);

// File > Connect to KISS server...: asks for host and port, starting from `address`; false
// when cancelled or when the host is left empty.
bool askForKissServer(QWidget* parent, KissServerAddress& address);

} // namespace zelto
