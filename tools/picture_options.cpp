#include "picture_options.h"

#include "animated_band.h"

namespace quenlark {

namespace {

QString described(const QString& scope, const QString& text) {
    return scope.isEmpty() ? text
                           : scope + QStringLiteral(": ") + text.front().toLower() + text.mid(1);
}

}  // namespace

PictureOptionsReader::PictureOptionsReader(QCommandLineParser& parser, const QString& scope)
    : parser_(parser),
      fit_(QStringLiteral("fit"),
           described(scope, QStringLiteral("Show all of the picture, with borders (default)."))),
      fill_(QStringLiteral("fill"),
            described(scope, QStringLiteral("Fill the screen, cutting off what sticks out."))),
      stretch_(QStringLiteral("stretch"),
               described(scope, QStringLiteral("Stretch the picture to the screen's shape."))),
      band_(QStringLiteral("band"),
            described(scope, QStringLiteral("Add a moving colour bar at the bottom, cycling "
                                            "palette entries FIRST to 255 (%1 to %2; the stock "
                                            "start-up logo uses %3).")
                                 .arg(converter::kSmallestFirstCycled)
                                 .arg(converter::kLargestFirstCycled)
                                 .arg(converter::kDefaultFirstCycled)),
            QStringLiteral("FIRST")) {
    parser.addOptions({fit_, fill_, stretch_, band_});
}

QString PictureOptionsReader::firstGiven() const {
    for (const QCommandLineOption* option : {&fit_, &fill_, &stretch_, &band_})
        if (parser_.isSet(*option))
            return option->names().constFirst();
    return {};
}

std::optional<QString> PictureOptionsReader::read(converter::ConvertOptions& options) const {
    const int modes =
        int(parser_.isSet(fit_)) + int(parser_.isSet(fill_)) + int(parser_.isSet(stretch_));
    if (modes > 1)
        return QStringLiteral("choose only one of --fit, --fill, --stretch.");
    if (parser_.isSet(fill_))
        options.fit = converter::FitMode::Fill;
    else if (parser_.isSet(stretch_))
        options.fit = converter::FitMode::Stretch;
    if (parser_.isSet(band_)) {
        bool ok = false;
        const int first = parser_.value(band_).toInt(&ok);
        if (!ok)
            return QStringLiteral("--band needs a palette entry number, not \"") +
                   parser_.value(band_) + '"';
        options.bandFirst = first;
    }
    if (auto problem = converter::checkOptions(options))
        return QString::fromStdString(*problem);
    return std::nullopt;
}

}  // namespace quenlark
