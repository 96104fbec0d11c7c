#pragma once

#include <QTabWidget>

namespace quenlark {

// The three-page tab control of the main window: one row of tabs of equal
// width across the whole control. The layouts place page controls relative to
// the tab control itself, tab strip included; `placeOnPage` turns such a
// position into one on the page.
class TabControl : public QTabWidget {
    Q_OBJECT
  public:
    // `size` is fixed: the strip's tabs share its width.
    TabControl(const QSize& size, QWidget* parent);

    // Where the pages' top-left corner lies within the tab control.
    QPoint pageOrigin() const;

    // Gives `control`, a child of a page, the rectangle `inTabControl`.
    void placeOnPage(QWidget* control, const QRect& inTabControl) const;
};

}  // namespace quenlark
