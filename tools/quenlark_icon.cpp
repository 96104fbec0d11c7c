// quenlark-icon OUTDIR: writes the program's icon into the desktop's icon
// theme layout, OUTDIR/<N>x<N>/apps/quenlark.png, at the sizes desktops ask
// for. Run at build time, so that the installed icons are the drawing the
// program's windows show and there is no second copy of it to keep in step.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "program_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: quenlark-icon OUTDIR\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = folder + QStringLiteral("/quenlark.png");
        if (!QDir().mkpath(folder) || !quenlark::programIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "quenlark-icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
