#pragma once

#include <QProxyStyle>

namespace quenlark {

// The classic Windows look, whatever the desktop: message box buttons in the
// order Yes, No, Cancel and Retry, Cancel, as the program's users know them.
class ProgramStyle : public QProxyStyle {
    Q_OBJECT
  public:
    ProgramStyle();

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// Gives the application the program's style and default font. The program
// calls it once, before its first window; tests call it to see the same.
void applyProgramLook();

}  // namespace quenlark
