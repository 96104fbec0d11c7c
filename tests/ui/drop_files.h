#pragma once

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <filesystem>
#include <vector>

namespace quenlark::testing {

// Drags `files` from outside onto the middle of `on` and drops them there, as
// the window system hands a file manager's drop to the window: the window
// finds the widget under the pointer that takes drops. `on` must be shown.
// True when the drop was taken.
inline bool dropFiles(QWidget& on, const std::vector<std::filesystem::path>& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const auto& file : files)
        urls << QUrl::fromLocalFile(QString::fromStdString(file.string()));
    mime.setUrls(urls);
    QWindow* window = on.window()->windowHandle();
    if (!window)
        return false;
    const QPoint at = on.mapTo(on.window(), on.rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QGuiApplication::sendEvent(window, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QGuiApplication::sendEvent(window, &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QGuiApplication::sendEvent(window, &drop);
    return drop.isAccepted();
}

}  // namespace quenlark::testing
