#include "program_style.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QStyleFactory>

#include "program_fonts.h"

namespace quenlark {

ProgramStyle::ProgramStyle() : QProxyStyle(QStyleFactory::create("Windows")) {}

int ProgramStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const {
    if (hint == SH_DialogButtonLayout)
        return QDialogButtonBox::WinLayout;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void applyProgramLook() {
    QApplication::setStyle(new ProgramStyle);
    QApplication::setFont(windowDefaultFont());
}

}  // namespace quenlark
