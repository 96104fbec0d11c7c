#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace quenlark::testing {

// What a message box showed, as the user saw it.
struct SeenBox {
    QString title;
    QString text;
    QString details;  // the informative text under it
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;  // left to right
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool closeButton = true;  // the window offers a close button
    Qt::WindowModality modality = Qt::NonModal;
    bool overShownWindow = false;  // its parent window is on the screen
    bool readAsAlert = false;      // a screen reader gets an alert with the text
};

SeenBox describe(QMessageBox& box);

// Acts on the modal windows that come up while the code under test runs. The
// code blocks in the window's own event loop, so a timer looks for each new
// modal window and hands it to the next step. A modal window that no step is
// left for, or that a step left open for two seconds, is recorded and
// dismissed, so that a test fails instead of hanging.
class ModalAnswerer : public QObject {
  public:
    using Step = std::function<void(QWidget& modal)>;

    ModalAnswerer();

    // The next modal window goes to `step`.
    void then(Step step);
    // The next modal window is a message box; it is described and `button`
    // is clicked.
    void answer(QMessageBox::StandardButton button);
    // Answers a message box with `button` as often as boxes come.
    void answerEvery(QMessageBox::StandardButton button) { every_ = button; }

    // True when every step has run and no window came unasked.
    bool done() const { return steps_.empty() && unexpected_.isEmpty(); }
    const std::vector<SeenBox>& boxes() const { return boxes_; }
    // Texts of the boxes no step was left for.
    const QStringList& unexpected() const { return unexpected_; }

  private:
    void poll();
    void dismiss(QWidget& modal, const QString& why);

    QTimer timer_;
    std::deque<Step> steps_;
    std::vector<SeenBox> boxes_;
    QStringList unexpected_;
    QMessageBox::StandardButton every_ = QMessageBox::NoButton;
    QWidget* lastHandled_ = nullptr;
    int pollsSinceHandled_ = 0;
};

}  // namespace quenlark::testing
