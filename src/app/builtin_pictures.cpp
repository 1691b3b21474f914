// The pictures built into the window: the large viewer's and the icon viewer's at start-up.
#include "app/builtin_pictures.h"

#include "picture/picture.h"

#include <QFile>

// The resources live in a static library: nothing would pull them into the program
// without this reference.
static void loadBuiltinResources() {
    Q_INIT_RESOURCE(builtin_pictures);
}

namespace zelto {

namespace {

std::string resourceBytes(const QString& name) {
    loadBuiltinResources();
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

QImage builtinCardPicture() {
    return decodeJpeg(resourceBytes(QStringLiteral(":/builtin/image7.jpg")));
}

QImage builtinIconPicture() {
    return decodeBitmap(resourceBytes(QStringLiteral(":/builtin/image8.bmp")));
}

} // namespace zelto
