#include "about_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "about_banner.h"
#include "bring_to_front.h"
#include "message_box.h"
#include "program_fonts.h"
#include "program_icon.h"
#include "program_texts.h"
#include "sys_info.h"
#include "text_fit.h"
#include "twips.h"

namespace quenlark {

namespace {

constexpr int kClientWidth = 5175;
constexpr int kClientHeight = 5865;
constexpr int kGoodColorDepth = 16;

int screenDepth(const QWidget& box) {
    const QScreen* screen = box.screen();
    return screen ? screen->depth() : 0;
}

QFont tahoma(bool bold = false) {
    return layoutFont("Tahoma", 9.75, bold);
}

}  // namespace

QPointer<AboutBox> AboutBox::open_;
std::function<int(const QWidget&)> AboutBox::colorDepth = screenDepth;

AboutBox* AboutBox::showAbout(Platform& platform) {
    if (!open_)
        open_ = new AboutBox(platform);
    bringToFront(*open_);
    return open_;
}

AboutBox* AboutBox::openInstance() {
    return open_;
}

AboutBox::AboutBox(Platform& platform) : platform_(platform) {
    setObjectName("aboutBox");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle("About Quenlark ..");
    setWindowIcon(programIcon());
    setFixedSize(fromTwips(kClientWidth), fromTwips(kClientHeight));
    createControls();
    showColourDepth();
}

void AboutBox::createControls() {
    auto label = [this](const char* name, const QString& text, QRect twips, const QFont& font,
                        Qt::Alignment alignment = Qt::AlignLeft) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(twips);
        l->setFont(font);
        l->setAlignment(alignment | Qt::AlignTop);
        l->setWordWrap(true);
        return l;
    };
    auto line = [this](const char* name, int x1, int x2, int y) {
        auto* l = new QFrame(this);
        l->setObjectName(name);
        l->setFrameStyle(QFrame::HLine | QFrame::Plain);
        l->setLineWidth(1);
        l->setGeometry(twipsHorizontalLine(x1, x2, y));
        return l;
    };
    auto button = [this](const char* name, const QString& text, QRect twips) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(twips);
        b->setFont(layoutFont("Arial", 12, true));
        // Enter clicks the button that has the focus, as on Windows; neither
        // button answers Enter or Escape for the whole box.
        b->setAutoDefault(true);
        return b;
    };

    auto* picture = new QLabel(this);
    picture->setObjectName("banner");
    picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture->setPixmap(QPixmap::fromImage(aboutBanner()));
    picture->setGeometry(twipsRect(480, 120, 3990, 1740));
    picture->setFocusPolicy(Qt::TabFocus);
    picture->setAccessibleName("Quenlark banner");

    label("title", kProgramTitle, twipsRect(180, 2040, 4935, 555),
          layoutFont("Tahoma", 23.25, true), Qt::AlignHCenter);
    auto* icon = new QLabel(this);
    icon->setObjectName("programIcon");
    icon->setPixmap(QPixmap::fromImage(programIconImage()));
    icon->setAccessibleName("Quenlark icon");
    icon->setGeometry(twipsRect(60, 2040, 480, 480));
    label("version", QString("Version ") + kProgramVersion, twipsRect(1320, 2640, 3345, 195),
          layoutFont("MS Sans Serif", 9.75, false, true), Qt::AlignRight);
    line("titleRule", 0, 5160, 3000);
    label("credit", kCreditLine, twipsRect(60, 3000, 5055, 285),
          layoutFont("MS Sans Serif", 12, true), Qt::AlignHCenter);
    line("creditRule", 0, 5160, 3300);
    label("depthCaption", "You currently working in:", twipsRect(60, 3360, 2175, 255), tahoma());
    depthValue_ =
        label("depthValue", "", twipsRect(2280, 3360, 675, 255), tahoma(true), Qt::AlignRight);
    label("depthUnit", "bit colors.", twipsRect(3120, 3360, 1335, 255), tahoma());
    depthVerdict_ = label("depthVerdict", "", twipsRect(60, 3600, 1155, 255), tahoma(true));
    depthAdvice_ = label("depthAdvice", "", twipsRect(1320, 3600, 3795, 435), tahoma());
    line("depthRule", -60, 5160, 4140);
    line("contactUpperRule", 0, 5160, 4860);
    label("contact", kContactLine, twipsRect(60, 4980, 5055, 255), layoutFont("Arial", 8.25, true),
          Qt::AlignHCenter);
    line("contactLowerRule", 0, 5160, 5280);
    systemInfoButton_ = button("systemInfoButton", "MS Info..", twipsRect(120, 5340, 1572, 492));
    okayButton_ = button("okayButton", "Okay", twipsRect(3480, 5340, 1572, 492));

    connect(okayButton_, &QPushButton::clicked, this, &AboutBox::close);
    connect(systemInfoButton_, &QPushButton::clicked, this, &AboutBox::startSystemInformation);

    // Okay, MS Info.., the banner: the controls that take the focus, by tab index.
    setTabOrder(okayButton_, systemInfoButton_);
    setTabOrder(systemInfoButton_, picture);
    okayButton_->setFocus();
    shrinkTextsToFit(*this);
}

void AboutBox::showColourDepth() {
    const int depth = colorDepth(*this);
    depthValue_->setText(QString::number(depth));
    if (depth >= kGoodColorDepth) {
        depthVerdict_->setText("EXCELLENT!");
        depthAdvice_->hide();
    } else {
        depthVerdict_->setText("REMEMBER!");
        depthAdvice_->setText("This program looks and works best in 16 bit color and above.");
        depthAdvice_->show();
    }
    for (QLabel* label : {depthValue_, depthVerdict_, depthAdvice_})
        shrinkFontToFit(*label);
}

void AboutBox::startSystemInformation() {
    startSystemInformationTool(
        platform_.registry, platform_.files, platform_.programs,
        [this](const std::string& text, MessageStyle style) { showMessageBox(this, text, style); });
}

}  // namespace quenlark
