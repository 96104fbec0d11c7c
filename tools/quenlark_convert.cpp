// quenlark-convert IN OUT [options]: makes a Windows 95/98 start-up or
// shut-down logo from any picture, with --builtin-logo writes the start-up
// logo kept in an IO.SYS, or with --animation saves a logo's start-up screen
// as an animated GIF. Exit status 0 done, 1 failed, 2 bad usage.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "animation_file.h"
#include "boot_screen.h"
#include "builtin_logo_file.h"
#include "converter.h"
#include "picture_options.h"

namespace {

using namespace quenlark::converter;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

const char* const kDescription =
    "Makes a Windows 95/98 start-up or shut-down logo (logo.sys, logow.sys, logos.sys) from a\n"
    "picture: a 320 x 400, 256-colour bitmap of 129,078 bytes, squeezed across so that it\n"
    "looks right on the 4:3 screen. With --builtin-logo, writes the start-up logo that\n"
    "Windows 95/98 keeps in IO.SYS (shown when there is no logo.sys) instead. With\n"
    "--animation, saves a logo as Windows shows it at start-up, its palette turning,\n"
    "as an animated GIF that loops.";

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
        QStringLiteral("The picture (PNG, JPEG, GIF, BMP, ...), the IO.SYS, or the logo."));
    parser.addPositionalArgument(QStringLiteral("OUT"),
                                 QStringLiteral("The logo file, or the GIF, to write."));
    const quenlark::PictureOptionsReader pictureOptions(parser);
    const QCommandLineOption border(
        QStringLiteral("border"),
        QStringLiteral(
            "Colour of the borders and of the screen's edge, as RRGGBB (default 000000)."),
        QStringLiteral("RRGGBB"));
    const QCommandLineOption builtinLogo(
        QStringLiteral("builtin-logo"),
        QStringLiteral("IN is the IO.SYS of Windows 95/98: write the start-up logo kept in it, "
                       "as it is (no picture options)."));
    const QCommandLineOption animation(
        QStringLiteral("animation"),
        QStringLiteral("IN is a logo file: write its start-up screen as an animated GIF, one "
                       "frame for each %1 ms step of the palette.")
            .arg(kStepMilliseconds));
    const QCommandLineOption seconds(
        QStringLiteral("seconds"),
        QStringLiteral("--animation: at least N seconds before the GIF starts again, in whole "
                       "turns of the palette (default one turn, at most %1).")
            .arg(kLongestAnimationSeconds),
        QStringLiteral("N"));
    const QCommandLineOption scale(
        QStringLiteral("scale"),
        QStringLiteral("--animation: 1 for a 640 x 480 picture (default), 2 for 1280 x 960, "
                       "each with its border."),
        QStringLiteral("1|2"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace OUT if it exists."));
    parser.addOptions({border, builtinLogo, animation, seconds, scale, force});
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
    if (parser.isSet(builtinLogo) && parser.isSet(animation))
        return usageError(QStringLiteral("choose only one of --builtin-logo, --animation."));
    if (files.size() != 2)
        return usageError(parser.isSet(builtinLogo)
                              ? QStringLiteral("give exactly one IO.SYS and one logo file.")
                          : parser.isSet(animation)
                              ? QStringLiteral("give exactly one logo file and one GIF.")
                              : QStringLiteral("give exactly one picture and one logo file."));
    const ExistingFile existing = parser.isSet(force) ? ExistingFile::Replace : ExistingFile::Keep;
    const std::filesystem::path input = QFile::encodeName(files[0]).toStdString();
    const std::filesystem::path output = QFile::encodeName(files[1]).toStdString();

    QString pictureOption = pictureOptions.firstGiven();
    if (pictureOption.isEmpty() && parser.isSet(border))
        pictureOption = border.names().constFirst();
    for (const auto* option : {&seconds, &scale})
        if (parser.isSet(*option) && !parser.isSet(animation))
            return usageError(QStringLiteral("--") + option->names().constFirst() +
                              QStringLiteral(" goes with --animation only."));
    for (const QCommandLineOption* mode : {&builtinLogo, &animation})
        if (parser.isSet(*mode) && !pictureOption.isEmpty())
            return usageError(QStringLiteral("--") + mode->names().constFirst() +
                              QStringLiteral(" takes no picture options (--") + pictureOption +
                              ')');
    if (parser.isSet(builtinLogo))
        return finish(saveBuiltinLogo(input, output, existing));
    if (parser.isSet(animation)) {
        AnimationOptions options;
        bool ok = true;
        if (parser.isSet(seconds))
            options.seconds = parser.value(seconds).toDouble(&ok);
        if (ok && parser.isSet(scale))
            options.scale = parser.value(scale).toInt(&ok);
        if (!ok)
            return usageError(QStringLiteral("--seconds and --scale need numbers."));
        if (auto problem = checkAnimationOptions(options))
            return usageError(QString::fromStdString(*problem));
        return finish(saveAnimation(input, output, options, existing));
    }

    ConvertOptions options;
    if (auto problem = pictureOptions.read(options))
        return usageError(*problem);
    if (parser.isSet(border)) {
        const auto colour = parseColour(parser.value(border));
        if (!colour)
            return usageError(QStringLiteral("--border needs a colour as RRGGBB, not \"") +
                              parser.value(border) + '"');
        options.border = *colour;
    }

    return finish(convertFile(files[0], output, options, existing));
}
