#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>

#include "converter.h"

namespace quenlark {

// The options that say how a picture becomes a logo, the same in every
// program that makes one: --fit, --fill or --stretch, and --band FIRST.
class PictureOptionsReader {
  public:
    // Adds the options to `parser`; `scope`, when given, opens each
    // description ("put --convert").
    explicit PictureOptionsReader(QCommandLineParser& parser, const QString& scope = {});

    // The first of the options given, by its name ("fill"); empty for none.
    QString firstGiven() const;
    // Fills `options` from the command line; says why it cannot, for a usage
    // error.
    std::optional<QString> read(converter::ConvertOptions& options) const;

  private:
    QCommandLineParser& parser_;
    QCommandLineOption fit_;
    QCommandLineOption fill_;
    QCommandLineOption stretch_;
    QCommandLineOption band_;
};

}  // namespace quenlark
