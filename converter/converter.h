#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <string>

#include "logo_bitmap.h"
#include "new_file.h"
#include "result.h"
#include "screen_fit.h"

namespace quenlark::converter {

struct ConvertOptions {
    FitMode fit = FitMode::Fit;
    // The first palette entry of the animated bar; none for a still logo.
    std::optional<int> bandFirst;
    // Borders of a fitted picture, and palette entry 0, which Windows also
    // paints around the screen.
    Rgb border{0, 0, 0};
};

// Why `options` cannot be used, or nothing when they can.
std::optional<std::string> checkOptions(const ConvertOptions& options);

// The logo made from `picture`: fitted to the 4:3 screen, resampled to
// 320 x 400 logo pixels and reduced to the palette.
Result<LogoPicture> makeLogo(const QImage& picture, const ConvertOptions& options);

// Reads the picture at `input` and writes the logo file to `output`.
Result<Done> convertFile(const QString& input, const std::filesystem::path& output,
                         const ConvertOptions& options, ExistingFile existing);

}  // namespace quenlark::converter
