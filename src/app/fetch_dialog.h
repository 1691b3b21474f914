#pragma once

#include <QDate>
#include <QString>

class QWidget;

namespace zelto {

// What File > Fetch frames from SatNOGS DB... fetches.
struct FetchChoice {
    long noradId = 0;
    QDate since; // frames received from that UTC day on; all the DB holds when not valid
    QString server = QStringLiteral("https://db.satnogs.org");
};

// The DB's address chosen last, and keeping the one chosen for the next start.
QString savedDbServer();
void saveDbServer(const QString& server);

// The dialog: false when cancelled or without a NORAD ID.
bool askForFetch(QWidget* parent, FetchChoice& choice);

} // namespace zelto
