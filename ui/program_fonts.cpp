#include "program_fonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <QtMath>

namespace quenlark {

namespace {

constexpr double kLayoutDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;

QString& onlyFallbackFont() {
    static QString family;
    return family;
}

}  // namespace

void useOnlyFallbackFont(const QString& family) {
    onlyFallbackFont() = family;
}

void registerWindowsFonts() {
    static const bool registered = [] {
        const QStringList windowsFamilies{"Tahoma", "MS Sans Serif", "Arial"};
        if (!onlyFallbackFont().isEmpty()) {
            for (const QString& family : windowsFamilies) {
                QFont::removeSubstitutions(family);
                QFont::insertSubstitution(family, onlyFallbackFont());
            }
            return true;
        }
        // Wine's Tahoma Bold is barely heavier than its regular face; without it
        // Qt emboldens the regular face, which looks like the real bold.
        for (const char* file : {"tahoma.ttf", "ms_sans_serif.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(kWineFontFolder) + '/' +
                                              QLatin1String(file));
        // Narrow sans-serif families first: the layouts were measured with
        // Tahoma and MS Sans Serif, which set tighter than DejaVu Sans.
        const QStringList sansSerif{"Liberation Sans", "Arimo", "DejaVu Sans Condensed",
                                    "DejaVu Sans"};
        for (const QString& family : windowsFamilies)
            QFont::insertSubstitutions(family, sansSerif);
        return true;
    }();
    Q_UNUSED(registered);
}

QFont layoutFont(const QString& family, double points, bool bold, bool italic) {
    registerWindowsFonts();
    QFont font(family);
    font.setPixelSize(qRound(points * kLayoutDotsPerInch / kPointsPerInch));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont windowDefaultFont() {
    return layoutFont("MS Sans Serif", 8.25);
}

}  // namespace quenlark
