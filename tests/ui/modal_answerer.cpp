#include "modal_answerer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <algorithm>

namespace quenlark::testing {

namespace {

constexpr const char* kHandled = "modalAnswererHandled";
constexpr int kPollsBeforeDismissing = 200;

}  // namespace

SeenBox describe(QMessageBox& box) {
    SeenBox seen;
    seen.title = box.windowTitle();
    seen.text = box.text();
    seen.details = box.informativeText();
    seen.icon = box.icon();
    QList<QAbstractButton*> buttons = box.buttons();
    std::sort(buttons.begin(), buttons.end(),
              [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
    for (QAbstractButton* button : buttons)
        seen.buttons << box.standardButton(button);
    if (QPushButton* byDefault = box.defaultButton())
        seen.defaultButton = box.standardButton(byDefault);
    seen.closeButton = box.windowFlags().testFlag(Qt::WindowCloseButtonHint) ||
                       !box.windowFlags().testFlag(Qt::CustomizeWindowHint);
    seen.modality = box.windowModality();
    seen.overShownWindow = box.parentWidget() && box.parentWidget()->window()->isVisible();
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&box);
    seen.readAsAlert = face && face->role() == QAccessible::AlertMessage &&
                       face->text(QAccessible::Value) == box.text();
    return seen;
}

ModalAnswerer::ModalAnswerer() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer_.start();
}

void ModalAnswerer::then(Step step) {
    steps_.push_back(std::move(step));
}

void ModalAnswerer::answer(QMessageBox::StandardButton button) {
    then([this, button](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (!box) {
            unexpected_ << "not a message box: " + modal.objectName();
            modal.close();
            return;
        }
        boxes_.push_back(describe(*box));
        box->button(button)->click();
    });
}

void ModalAnswerer::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (modal->property(kHandled).toBool()) {
        // A box that was just answered can still be on its way out; one that
        // stays was left open by a failing step.
        if (modal == lastHandled_ && ++pollsSinceHandled_ == kPollsBeforeDismissing)
            dismiss(*modal, "left open: ");
        return;
    }
    modal->setProperty(kHandled, true);
    lastHandled_ = modal;
    pollsSinceHandled_ = 0;
    if (!steps_.empty()) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(*modal);
        return;
    }
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box && every_ != QMessageBox::NoButton && box->button(every_)) {
        boxes_.push_back(describe(*box));
        box->button(every_)->click();
        return;
    }
    dismiss(*modal, "unasked: ");
}

void ModalAnswerer::dismiss(QWidget& modal, const QString& why) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    unexpected_ << why + (box ? box->text() : "modal window " + modal.objectName());
    if (box && !box->buttons().isEmpty())
        box->buttons().front()->click();
    else if (auto* dialog = qobject_cast<QDialog*>(&modal))
        dialog->reject();
    else
        modal.close();
}

}  // namespace quenlark::testing
