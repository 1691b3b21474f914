// The preview of an incomplete image in the large viewer, with what is in and what is missing.
#include "app/preview_display.h"

#include "app/picture_box.h"
#include "live/text_codec.h"
#include "picture/preview.h"
#include "store/image_progress.h"

#include <QFontMetrics>
#include <QLabel>

namespace zelto {

namespace {

bool fits(const QLabel* label, const QString& text) {
    const QRect room(0, 0, label->width(), 10000);
    return QFontMetrics(label->font()).boundingRect(room, Qt::TextWordWrap, text).height() <=
           label->height();
}

// The first line whole, then the missing map, cut at a comma with ", ..." where it would
// not fit the label.
QString fittedProgressText(const QLabel* label, const QString& firstLine, const QString& map) {
    QString text = firstLine + QLatin1Char('\n') + map;
    for (QString shown = map; !fits(label, text);) {
        const qsizetype comma = shown.lastIndexOf(QLatin1Char(','));
        if (comma < 0)
            break;
        shown.truncate(comma);
        text = firstLine + QLatin1Char('\n') + shown + QStringLiteral(", ...");
    }
    return text;
}

} // namespace

void showPreview(PictureBox* viewer, QLabel* progress, std::string_view imageName,
                 const std::filesystem::path& imageFolder, long frameCount) {
    const FolderPreview shown = previewOfImageFolder(imageFolder, frameCount);
    if (shown.preview.image.isNull())
        viewer->showNotice(fromWindows1252(shown.preview.reason));
    else
        viewer->setPicture(shown.preview.image);
    const QString name = fromWindows1252(imageName);
    if (!shown.frames) {
        progress->setText(name);
        return;
    }
    progress->setText(
        fittedProgressText(progress,
                           name + QStringLiteral(": ") +
                               fromWindows1252(receivedFramesText(*shown.frames, frameCount)),
                           fromWindows1252(missingFramesMap(*shown.frames, frameCount))));
}

} // namespace zelto
