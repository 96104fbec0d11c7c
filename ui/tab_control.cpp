#include "tab_control.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace quenlark {

namespace {

// Tabs share the strip's width; the first ones take the odd pixels.
class EqualWidthTabBar : public QTabBar {
  public:
    EqualWidthTabBar(int stripWidth, QWidget* parent) : QTabBar(parent), stripWidth_(stripWidth) {
        setExpanding(false);
        setUsesScrollButtons(false);
        setElideMode(Qt::ElideNone);
    }

  protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        const int tabs = count();
        if (tabs > 0)
            size.setWidth(stripWidth_ / tabs + (index < stripWidth_ % tabs ? 1 : 0));
        return size;
    }

  private:
    int stripWidth_;
};

}  // namespace

TabControl::TabControl(const QSize& size, QWidget* parent) : QTabWidget(parent) {
    setFixedSize(size);
    // The strip spans the whole control, so that the first and the last tab,
    // when selected, meet the page's frame at its corners; the classic style
    // draws the tabs that are not selected 2 pixels in from the strip's ends.
    setTabBar(new EqualWidthTabBar(size.width(), this));
}

QPoint TabControl::pageOrigin() const {
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
}

void TabControl::placeOnPage(QWidget* control, const QRect& inTabControl) const {
    control->setGeometry(inTabControl.translated(-pageOrigin()));
}

}  // namespace quenlark
