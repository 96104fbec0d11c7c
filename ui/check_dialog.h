#pragma once

#include <QDialog>
#include <vector>

#include "installation_check.h"

class QDialogButtonBox;
class QLabel;
class QTextBrowser;

namespace quenlark {

// "Check Installation": the installation check's findings, one paragraph
// each with its slot or file, whether it is a problem or a note, and what
// Windows will do and what fixes it; with none, that Windows will show all
// three logos. Texts only, no pictures, so that a screen reader says all of
// it, and the findings can be selected and copied. Modal or modeless, as the
// caller opens it.
class CheckDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CheckDialog(const std::vector<Finding>& findings, QWidget* parent = nullptr);

    // Shows another check's findings in place of the ones shown.
    void showFindings(const std::vector<Finding>& findings);

  private:
    QLabel* result_;
    QTextBrowser* list_;
    QDialogButtonBox* buttons_;
};

}  // namespace quenlark
