#include "dropped_file.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace quenlark {

bool offersFiles(const QMimeData& mime) {
    return mime.hasUrls();
}

DroppedFile droppedFile(const QMimeData& mime) {
    const QList<QUrl> urls = mime.urls();
    if (urls.isEmpty())
        return {{}, QStringLiteral("What was dropped is not a file.")};
    if (urls.size() > 1)
        return {
            {},
            QStringLiteral("%1 files were dropped; drop one picture at a time.").arg(urls.size())};
    const QUrl& url = urls.front();
    if (!url.isLocalFile())
        return {{},
                QStringLiteral("%1 is not a file on this computer; save it first, then drop the "
                               "file.")
                    .arg(url.toDisplayString())};
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (info.isDir())
        return {{}, QStringLiteral("%1 is a folder; drop one picture from it.").arg(shown)};
    if (!info.exists())
        return {{}, QStringLiteral("%1 does not exist.").arg(shown)};
    if (!info.isFile())
        return {{}, QStringLiteral("%1 is not a file.").arg(shown)};
    return {path, {}};
}

}  // namespace quenlark
