// How long the program takes to show its window, against a probe window of
// plain Qt widgets: the same controls at the same places in the same fonts,
// the same menus and the same three thumbnails, and nothing else. Each run
// ends as soon as its window has been painted, so a timer from outside
// (/usr/bin/time, or paired runs of the two) times the start whole:
//   window_start_bench program DIR [quenlark options]
//   window_start_bench probe DIR
// Both keep their data in DIR (made when missing): the program starts from
// the data folder there, on the installation used last, at first the demo
// drive; the probe shows the demo drive's logos.
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo_drive.h"
#include "program_fonts.h"
#include "program_style.h"
#include "program_texts.h"
#include "run_program.h"
#include "start_options.h"
#include "twips.h"

using namespace quenlark;

namespace {

// Quits once a main window has been painted for the first time.
class QuitWhenPainted : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<QMainWindow*>(watched))
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};

QLabel* label(QWidget* parent, const QString& text, const QRect& rect, bool wrap = true) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(wrap);
    l->setGeometry(rect);
    return l;
}

QFrame* line(QWidget* parent, const QRect& rect) {
    auto* l = new QFrame(parent);
    l->setFrameShape(QFrame::HLine);
    l->setFrameShadow(QFrame::Plain);
    l->setGeometry(rect);
    return l;
}

// The main window's controls, from its layout, positions relative to the
// tab control as the layout gives them.
void addSlotPage(QTabWidget& tabs, const QString& caption, const QString& logo,
                 const QString& backup, const QString& logoFile) {
    auto* page = new QWidget;
    tabs.addTab(page, caption);
    const QPoint origin = QPoint(0, tabs.tabBar()->sizeHint().height());
    auto at = [&](QRect rect) { return rect.translated(-origin); };
    const QFont buttonFont = layoutFont("Tahoma", 12, true);
    label(page, logo, at(twipsRect(120, 480, 3555, 555)))->setFont(layoutFont("Tahoma", 24, true));
    line(page, at(twipsHorizontalLine(60, 3720, 1020)));
    const char* buttons[] = {"Swap !", "Restore", "Backup"};
    const QString texts[] = {
        "Choose any 320x400x256 bitmap you want to replace the current " + logo + ".",
        "Restore the backup bitmap " + backup + " (if present) to " + logo + ".",
        "Backup the current bitmap by copying it to " + backup + "."};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(buttons[i], page);
        button->setFont(buttonFont);
        button->setGeometry(at(twipsRect(120, 1200 + 780 * i, 1455, 435)));
        label(page, texts[i], at(twipsRect(1680, 1200 + 780 * i, 1995, 675)));
    }
    line(page, at(twipsHorizontalLine(60, 3720, 3420)));
    auto* frame = new QGroupBox("File Select", page);
    frame->setGeometry(at(twipsRect(240, 3540, 3315, 675)));
    (new QRadioButton("Current", frame))->setGeometry(twipsRect(1020, 300, 915, 255));
    (new QRadioButton("Backup", frame))->setGeometry(twipsRect(2040, 300, 915, 255));
    auto* thumbnail = label(page, {}, at(twipsRect(3780, 420, 4215, 3795)), false);
    thumbnail->setFrameStyle(QFrame::Box | QFrame::Plain);
    thumbnail->setScaledContents(true);
    thumbnail->setToolTip("Click to view full size");
    QFile file(logoFile);
    if (file.open(QIODevice::ReadOnly))
        thumbnail->setPixmap(QPixmap::fromImage(QImage::fromData(file.readAll())));
}

void addMenus(QMainWindow& window) {
    struct Item {
        const char* caption;
        QKeySequence shortcut;
    };
    const std::vector<std::pair<const char*, std::vector<Item>>> menus{
        {"&Options",
         {{"&Backup All", Qt::CTRL | Qt::Key_B},
          {"&Restore All", Qt::CTRL | Qt::Key_R},
          {nullptr, {}},
          {"&Quit", Qt::CTRL | Qt::Key_Q}}},
        {"&Drive",
         {{"Open &Windows Folder...", {}},
          {"Open Disk &Image...", {}},
          {"&Find Installations...", {}},
          {nullptr, {}},
          {"&1 drive_c", {}},
          {nullptr, {}},
          {"&Demo Drive", {}}}},
        {"&Special", {{"Restore &Originals", Qt::CTRL | Qt::Key_O}}},
        {"&Tools",
         {{"Make &Logo From Picture...", {}},
          {"&Boot Preview", {}},
          {"&Save Built-in Logo As...", {}},
          {"&Check Installation...", {}}}},
        {"&Info",
         {{"Read &Me", Qt::CTRL | Qt::Key_M}, {nullptr, {}}, {"&About", Qt::CTRL | Qt::Key_A}}},
    };
    for (const auto& [caption, items] : menus) {
        QMenu* menu = window.menuBar()->addMenu(caption);
        for (const Item& item : items) {
            if (!item.caption) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(item.caption);
            action->setShortcut(item.shortcut);
        }
    }
}

int showProbe(const std::filesystem::path& drive) {
    applyProgramLook();
    QMainWindow window;
    window.setWindowTitle(kMainWindowCaption);
    window.setFont(windowDefaultFont());
    auto* client = new QWidget(&window);
    client->setFixedSize(fromTwips(8115), fromTwips(5295));
    window.setCentralWidget(client);
    auto* tabs = new QTabWidget(client);
    tabs->setGeometry(twipsRect(0, 120, 8115, 4335));
    tabs->tabBar()->setFont(layoutFont("Arial", 9));
    const QString windows = QString::fromStdString((drive / "WINDOWS").string());
    addSlotPage(*tabs, "Start Up", "LOGO.SYS", "LOGO.QNK",
                QString::fromStdString((drive / "LOGO.SYS").string()));
    addSlotPage(*tabs, "Wait", "LOGOW.SYS", "LOGOW.QNK", windows + "/LOGOW.SYS");
    addSlotPage(*tabs, "Shut Down", "LOGOS.SYS", "LOGOS.QNK", windows + "/LOGOS.SYS");
    label(client, "Status:", twipsRect(60, 4560, 555, 375));
    QLabel* status = label(
        client,
        "Drive C: is " + QString::fromStdString(drive.string()) + ". Welcome to Quenlark v1.2 !",
        twipsRect(660, 4500, 7395, 495));
    status->setFrameStyle(QFrame::Box | QFrame::Plain);
    status->setAutoFillBackground(true);
    line(client, twipsHorizontalLine(0, 8100, 5040));
    const QFont footer = layoutFont("Arial", 8.25, true);
    label(client, "This program looks and works best in 16-bit color and above.",
          twipsRect(0, 5100, 5295, 195))
        ->setFont(footer);
    label(client, kCreditLine, twipsRect(6060, 5100, 2055, 195))->setFont(footer);
    addMenus(window);
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::string(argv[1]) != "program" && std::string(argv[1]) != "probe")) {
        std::fprintf(stderr, "usage: window_start_bench program|probe DIR [quenlark options]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::filesystem::path folder = std::filesystem::absolute(argv[2]);
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    QCoreApplication::setApplicationName("quenlark");
    QCoreApplication::setApplicationVersion(kProgramVersion);

    QStringList arguments{"quenlark"};
    for (int i = 3; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    StartOptions options;
    if (mode == "program") {
        QCoreApplication reader(argc, argv);
        if (const auto status = readStartOptions(arguments, options))
            return *status;
    }
    QApplication app(argc, argv);
    QuitWhenPainted quitter;
    app.installEventFilter(&quitter);
    if (mode == "program")
        return runProgram(options);
    std::string error;
    const std::filesystem::path windows = prepareDemoDrive(demoDriveRoot(), error);
    if (windows.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return showProbe(windows.parent_path());
}
