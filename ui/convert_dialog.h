#pragma once

#include <QDialog>
#include <QImage>
#include <optional>

#include "converter.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace quenlark {

class BootPreview;

// Makes a logo from any picture: choose the picture, how it meets the 4:3
// screen and whether it gets an animated bar, watch the result as Windows
// would show it, and save it as a 129,078-byte logo file or have it
// installed. A picture can also be dropped on it. Host paths throughout; the
// dialog does not touch the installed logos itself.
class ConvertDialog : public QDialog {
    Q_OBJECT
  public:
    // `folder`: where the open and save dialogs start.
    explicit ConvertDialog(QWidget* parent = nullptr, const QString& folder = {});

    // What Browse... and Save As... do once their file dialog has answered.
    // Both report on the dialog's status line and give whether they worked.
    bool openPicture(const QString& path);
    bool saveLogo(const QString& path, converter::ExistingFile existing);

    const std::optional<converter::LogoPicture>& logo() const { return logo_; }
    converter::ConvertOptions options() const;
    QString status() const;
    BootPreview* preview() const { return preview_; }
    // Where the next open or save dialog starts.
    const QString& folder() const { return folder_; }
    // The file the logo is made from; empty before one is opened.
    const QString& picturePath() const { return picturePath_; }

    // Where Install can put the logo, by name ("Start Up (LOGO.SYS)"), the
    // first chosen; without any there is no Install.
    void setInstallTargets(const QStringList& targets);
    void chooseInstallTarget(int index);
    int installTarget() const;

  signals:
    // A logo file was written to `path`.
    void logoSaved(const QString& path);
    // Install was clicked: logo() is to go to the target of that index.
    void installRequested(int target);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void browse();
    void saveAs();
    void chooseBorder();
    void remake();
    void setStatus(const QString& text, bool trouble);
    void showBorderColour();

    QString folder_;
    QString picturePath_;
    QImage picture_;
    std::optional<converter::LogoPicture> logo_;
    converter::Rgb border_{0, 0, 0};

    QLineEdit* pictureEdit_;
    QPushButton* browseButton_;
    QRadioButton* fitButton_;
    QRadioButton* fillButton_;
    QRadioButton* stretchButton_;
    QButtonGroup* modes_;
    QCheckBox* bandCheck_;
    QSpinBox* bandFirst_;
    QPushButton* borderButton_;
    BootPreview* preview_;
    QLabel* status_;
    QWidget* installRow_;
    QLabel* targetLabel_;
    QComboBox* target_;
    QPushButton* installButton_;
    QPushButton* saveButton_;
    QPushButton* closeButton_;
};

}  // namespace quenlark
