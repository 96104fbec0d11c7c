#pragma once

#include <QWidget>

namespace quenlark {

// Shows a window of its own that may already be open: back from the task bar
// if it was minimised, above the others and active, where it was before.
inline void bringToFront(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace quenlark
