#include "form2.h"

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

QPointer<Form2> Form2::open_;
std::function<int(const QWidget&)> Form2::colorDepth = screenDepth;

Form2* Form2::showAbout(Platform& platform) {
    if (!open_)
        open_ = new Form2(platform);
    bringToFront(*open_);
    return open_;
}

Form2* Form2::openInstance() {
    return open_;
}

Form2::Form2(Platform& platform) : platform_(platform) {
    setObjectName("Form2");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle("About Quenlark ..");
    setWindowIcon(programIcon());
    setFixedSize(fromTwips(kClientWidth), fromTwips(kClientHeight));
    createControls();
    Form_Load();
}

void Form2::createControls() {
    auto label = [this](const char* name, const QString& text, QRect twips, const QFont& font,
                        Qt::Alignment alignment = Qt::AlignLeft) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(twips);
        l->setFont(font);
        l->setAlignment(alignment | Qt::AlignTop);
        l->setWordWrap(true);
        shrinkFontToFit(*l);
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
    picture->setObjectName("Picture1");
    picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture->setPixmap(QPixmap::fromImage(aboutBanner()));
    picture->setGeometry(twipsRect(480, 120, 3990, 1740));
    picture->setFocusPolicy(Qt::TabFocus);

    label("Label1", kProgramTitle, twipsRect(180, 2040, 4935, 555),
          layoutFont("Tahoma", 23.25, true), Qt::AlignHCenter);
    auto* icon = new QLabel(this);
    icon->setObjectName("Image1");
    icon->setPixmap(QPixmap::fromImage(programIconImage()));
    icon->setGeometry(twipsRect(60, 2040, 480, 480));
    label("Label3", QString("Version ") + kProgramVersion, twipsRect(1320, 2640, 3345, 195),
          layoutFont("MS Sans Serif", 9.75, false, true), Qt::AlignRight);
    line("Line4", 0, 5160, 3000);
    label("Label2", kCreditLine, twipsRect(60, 3000, 5055, 285),
          layoutFont("MS Sans Serif", 12, true), Qt::AlignHCenter);
    line("Line2", 0, 5160, 3300);
    label("Label6", "You currently working in:", twipsRect(60, 3360, 2175, 255), tahoma());
    Label7 = label("Label7", "", twipsRect(2280, 3360, 675, 255), tahoma(true), Qt::AlignRight);
    label("Label8", "bit colors.", twipsRect(3120, 3360, 1335, 255), tahoma());
    Label9 = label("Label9", "", twipsRect(60, 3600, 1155, 255), tahoma(true));
    Label10 = label("Label10", "", twipsRect(1320, 3600, 3795, 435), tahoma());
    line("Line1", -60, 5160, 4140);
    line("Line3", 0, 5160, 4860);
    label("Label5", kContactLine, twipsRect(60, 4980, 5055, 255), layoutFont("Arial", 8.25, true),
          Qt::AlignHCenter);
    line("Line5", 0, 5160, 5280);
    Command2 = button("Command2", "MS Info..", twipsRect(120, 5340, 1572, 492));
    Command1 = button("Command1", "Okay", twipsRect(3480, 5340, 1572, 492));

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::command2_Click);

    // Okay, MS Info.., the banner: the controls that take the focus, by tab index.
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, picture);
    Command1->setFocus();
}

void Form2::Form_Load() {
    const int depth = colorDepth(*this);
    Label7->setText(QString::number(depth));
    if (depth >= kGoodColorDepth) {
        Label9->setText("EXCELLENT!");
        Label10->hide();
    } else {
        Label9->setText("REMEMBER!");
        Label10->setText("This program looks and works best in 16 bit color and above.");
        Label10->show();
    }
    for (QLabel* label : {Label7, Label9, Label10})
        shrinkFontToFit(*label);
}

void Form2::Command1_Click() {
    close();
}

void Form2::command2_Click() {
    StartSysInfo(
        platform_.registry, platform_.files, platform_.programs,
        [this](const std::string& text, MessageStyle style) { showMessageBox(this, text, style); });
}

}  // namespace quenlark
