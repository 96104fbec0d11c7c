// quenlark-convert IN OUT [options]: makes a Windows 95/98 start-up or
// shut-down logo from any picture, or with --builtin-logo writes the start-up
// logo kept in an IO.SYS. Exit status 0 done, 1 failed, 2 bad usage.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "animated_band.h"
#include "builtin_logo_file.h"
#include "converter.h"

namespace {

using namespace quenlark::converter;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

const char* const kDescription =
    "Makes a Windows 95/98 start-up or shut-down logo (logo.sys, logow.sys, logos.sys) from a\n"
    "picture: a 320 x 400, 256-colour bitmap of 129,078 bytes, squeezed across so that it\n"
    "looks right on the 4:3 screen. With --builtin-logo, writes the start-up logo that\n"
    "Windows 95/98 keeps in IO.SYS (shown when there is no logo.sys) instead.";

void print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

int usageError(const QString& message) {
    print(stderr, QStringLiteral("quenlark-convert: ") + message);
    print(stderr, QStringLiteral("Usage: quenlark-convert IN OUT [options]; see --help."));
    return kBadUsage;
}

int finish(const Result<Done>& done) {
    if (!done) {
        print(stderr, QStringLiteral("quenlark-convert: ") + QString::fromStdString(done.error()));
        return kFailed;
    }
    return kDone;
}

std::optional<Rgb> parseColour(const QString& text) {
    QString digits = text.startsWith('#') ? text.mid(1) : text;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok || digits.size() != 6)
        return std::nullopt;
    return Rgb{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value)};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quenlark-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUENLARK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addPositionalArgument(
        QStringLiteral("IN"),
        QStringLiteral("The picture (PNG, JPEG, GIF, BMP, ...), or the IO.SYS."));
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("The logo file to write."));
    const QCommandLineOption fit(
        QStringLiteral("fit"), QStringLiteral("Show all of the picture, with borders (default)."));
    const QCommandLineOption fill(QStringLiteral("fill"),
                                  QStringLiteral("Fill the screen, cutting off what sticks out."));
    const QCommandLineOption stretch(QStringLiteral("stretch"),
                                     QStringLiteral("Stretch the picture to the screen's shape."));
    const QCommandLineOption band(
        QStringLiteral("band"),
        QStringLiteral("Add a moving colour bar at the bottom, cycling palette entries FIRST to "
                       "255 (%1 to %2; the stock start-up logo uses %3).")
            .arg(kSmallestFirstCycled)
            .arg(kLargestFirstCycled)
            .arg(kDefaultFirstCycled),
        QStringLiteral("FIRST"));
    const QCommandLineOption border(
        QStringLiteral("border"),
        QStringLiteral(
            "Colour of the borders and of the screen's edge, as RRGGBB (default 000000)."),
        QStringLiteral("RRGGBB"));
    const QCommandLineOption builtinLogo(
        QStringLiteral("builtin-logo"),
        QStringLiteral("IN is the IO.SYS of Windows 95/98: write the start-up logo kept in it, "
                       "as it is (no picture options)."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace OUT if it exists."));
    parser.addOptions({fit, fill, stretch, band, border, builtinLogo, force});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return kDone;
    }
    if (parser.isSet(version)) {
        print(stdout,
              QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion());
        return kDone;
    }

    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return usageError(parser.isSet(builtinLogo)
                              ? QStringLiteral("give exactly one IO.SYS and one logo file.")
                              : QStringLiteral("give exactly one picture and one logo file."));
    const ExistingFile existing = parser.isSet(force) ? ExistingFile::Replace : ExistingFile::Keep;
    const std::filesystem::path output = QFile::encodeName(files[1]).toStdString();

    if (parser.isSet(builtinLogo)) {
        for (const auto* option : {&fit, &fill, &stretch, &band, &border})
            if (parser.isSet(*option))
                return usageError(QStringLiteral("--builtin-logo takes no picture options (--") +
                                  option->names().constFirst() + ')');
        return finish(saveBuiltinLogo(QFile::encodeName(files[0]).toStdString(), output, existing));
    }

    ConvertOptions options;
    const int modes = int(parser.isSet(fit)) + int(parser.isSet(fill)) + int(parser.isSet(stretch));
    if (modes > 1)
        return usageError(QStringLiteral("choose only one of --fit, --fill, --stretch."));
    if (parser.isSet(fill))
        options.fit = FitMode::Fill;
    else if (parser.isSet(stretch))
        options.fit = FitMode::Stretch;
    if (parser.isSet(band)) {
        bool ok = false;
        const int first = parser.value(band).toInt(&ok);
        if (!ok)
            return usageError(QStringLiteral("--band needs a palette entry number, not \"") +
                              parser.value(band) + '"');
        options.bandFirst = first;
    }
    if (parser.isSet(border)) {
        const auto colour = parseColour(parser.value(border));
        if (!colour)
            return usageError(QStringLiteral("--border needs a colour as RRGGBB, not \"") +
                              parser.value(border) + '"');
        options.border = *colour;
    }
    if (auto problem = checkOptions(options))
        return usageError(QString::fromStdString(*problem));

    return finish(convertFile(files[0], output, options, existing));
}
