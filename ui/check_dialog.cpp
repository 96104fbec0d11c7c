#include "check_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

namespace quenlark {

namespace {

// Room for a few findings of two or three lines each.
constexpr int kFindingsWidth = 560;
constexpr int kFindingsHeight = 380;

QString html(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

// A finding's paragraph: its subject and severity ("Start Up (problem)"),
// then what Windows will do and the fix.
QString paragraph(const Finding& finding) {
    const std::string severity(severityName(finding.severity));
    return "<p><b>" + html(findingSubject(finding)) + "</b> (" +
           QString::fromStdString(severity).toLower() + ")<br>" + html(finding.text) + "</p>";
}

}  // namespace

CheckDialog::CheckDialog(const std::vector<Finding>& findings, QWidget* parent)
    : QDialog(parent),
      result_(new QLabel(this)),
      list_(new QTextBrowser(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Close, this)) {
    setObjectName(QStringLiteral("checkDialog"));
    setWindowTitle(QStringLiteral("Check Installation"));
    result_->setObjectName(QStringLiteral("checkResult"));
    list_->setObjectName(QStringLiteral("findingList"));
    buttons_->setObjectName(QStringLiteral("checkButtons"));

    result_->setWordWrap(true);
    list_->setAccessibleName(QStringLiteral("Findings"));
    list_->setAccessibleDescription(
        QStringLiteral("One paragraph per finding: its slot or file, problem or note, what "
                       "Windows will do and what fixes it."));
    list_->setOpenLinks(false);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPushButton* close = buttons_->button(QDialogButtonBox::Close);
    close->setAccessibleName(QStringLiteral("Close the installation check"));
    close->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(result_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    showFindings(findings);
}

void CheckDialog::showFindings(const std::vector<Finding>& findings) {
    if (findings.empty()) {
        result_->setText(QStringLiteral("Nothing is wrong: ") +
                         QString::fromUtf8(kAllLogosShown.data(), kAllLogosShown.size()));
        list_->clear();
        list_->hide();
        buttons_->button(QDialogButtonBox::Close)->setFocus();
        // One line and a button: no room left empty around them.
        adjustSize();
        return;
    }
    result_->setText(QStringLiteral("The check found ") +
                     QString::fromStdString(findingCount(findings)) + ":");
    QString text;
    for (const Finding& finding : findings)
        text += paragraph(finding);
    // A size the user gave the open dialog stays.
    if (!isVisible() || list_->isHidden())
        resize(kFindingsWidth, kFindingsHeight);
    list_->setHtml(text);
    list_->show();
    list_->setFocus();
}

}  // namespace quenlark
