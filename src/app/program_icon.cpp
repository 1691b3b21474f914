// The program's icon for its windows.
#include "app/program_icon.h"

namespace zelto {

QIcon programIcon() {
    const QIcon bundled(QStringLiteral(":/icons/example.qg9mce.Zeltodecoder.svg"));
    if (!bundled.pixmap(64).isNull())
        return bundled;
    return QIcon::fromTheme(QString::fromLatin1(kDesktopFileName));
}

} // namespace zelto
