#include "message_box.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "program_texts.h"

namespace quenlark {

namespace {

struct BoxLook {
    QMessageBox::Icon icon;
    QList<QMessageBox::StandardButton> buttons;  // in the order shown
    QMessageBox::StandardButton escape;          // NoButton: the box cannot be dismissed
};

BoxLook lookOf(MessageStyle style) {
    switch (style) {
        case MessageStyle::Ok:
            return {QMessageBox::NoIcon, {QMessageBox::Ok}, QMessageBox::Ok};
        case MessageStyle::OkCritical:
            return {QMessageBox::Critical, {QMessageBox::Ok}, QMessageBox::Ok};
        case MessageStyle::RetryCancel:
            return {QMessageBox::Critical,
                    {QMessageBox::Retry, QMessageBox::Cancel},
                    QMessageBox::Cancel};
        case MessageStyle::YesNoCancel:
            return {QMessageBox::Question,
                    {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
                    QMessageBox::Cancel};
        case MessageStyle::YesNo:
            return {
                QMessageBox::Question, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::NoButton};
        case MessageStyle::OkExclamation:
            return {QMessageBox::Warning, {QMessageBox::Ok}, QMessageBox::Ok};
    }
    return {QMessageBox::NoIcon, {QMessageBox::Ok}, QMessageBox::Ok};
}

Answer answerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

// QMessageBox lets Escape and the close button answer No in a Yes/No box, and
// no setting stops it: this box refuses both until a button was clicked.
class ProgramMessageBox : public QMessageBox {
  public:
    ProgramMessageBox(QWidget* parent, bool dismissable)
        : QMessageBox(parent), dismissable_(dismissable) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!dismissable_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override {
        if (!dismissable_ && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

  private:
    bool dismissable_;
};

}  // namespace

Answer showMessageBox(QWidget* parent, const std::string& text, MessageStyle style,
                      const std::string& details) {
    const BoxLook look = lookOf(style);
    const bool dismissable = look.escape != QMessageBox::NoButton;

    ProgramMessageBox box(parent, dismissable);
    // First: QMessageBox resets the window flags when the modality is set.
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(kProgramTitle);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    if (!details.empty())
        box.setInformativeText(QString::fromStdString(details));
    box.setIcon(look.icon);
    for (QMessageBox::StandardButton button : look.buttons)
        box.addButton(button);
    box.setDefaultButton(look.buttons.front());
    if (dismissable) {
        box.setEscapeButton(look.escape);
    } else {
        box.setWindowFlags((box.windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                           ~Qt::WindowCloseButtonHint);
    }
    box.exec();

    if (box.clickedButton())
        return answerOf(box.standardButton(box.clickedButton()));
    return answerOf(look.escape);
}

}  // namespace quenlark
