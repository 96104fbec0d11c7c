#include "converter.h"

#include "animated_band.h"
#include "picture_reader.h"
#include "quantize.h"

namespace quenlark::converter {

std::optional<std::string> checkOptions(const ConvertOptions& options) {
    if (options.bandFirst &&
        (*options.bandFirst < kSmallestFirstCycled || *options.bandFirst > kLargestFirstCycled))
        return "The animated bar must start at a palette entry from " +
               std::to_string(kSmallestFirstCycled) + " to " + std::to_string(kLargestFirstCycled) +
               ", not " + std::to_string(*options.bandFirst) + ".";
    return std::nullopt;
}

Result<LogoPicture> makeLogo(const QImage& picture, const ConvertOptions& options) {
    if (auto problem = checkOptions(options))
        return Result<LogoPicture>::failure(*problem);
    if (picture.isNull())
        return Result<LogoPicture>::failure("There is no picture to convert.");
    const QImage fitted = fitToLogo(picture, options.fit, options.border);
    // Full dithering: smooth gradients are what a photo on 256 colours loses
    // first, and banding shows more than the fine grain dithering leaves.
    if (!options.bandFirst)
        return quantize(fitted, kPaletteSize, options.border);

    // The picture keeps the entries below the band, so none of its pixels
    // cycles, and the rows under the bar are left out of the reduction.
    auto logo = quantize(fitted, *options.bandFirst, options.border, kLogoHeight - kBandRows);
    if (logo)
        drawBand(*logo, *options.bandFirst);
    return logo;
}

Result<Done> convertFile(const QString& input, const std::filesystem::path& output,
                         const ConvertOptions& options, ExistingFile existing) {
    if (auto problem = checkOptions(options))
        return Result<Done>::failure(*problem);
    // Say so before the work, not after it; the write checks again.
    std::error_code ignored;
    if (existing == ExistingFile::Keep && std::filesystem::exists(output, ignored))
        return Result<Done>::failure(output.string() + " already exists; it was left as it was.");
    const auto picture = readPicture(input);
    if (!picture)
        return Result<Done>::failure(picture.error());
    const auto logo = makeLogo(*picture, options);
    if (!logo)
        return Result<Done>::failure(logo.error());
    return writeNewFile(output, encodeLogo(*logo), existing);
}

}  // namespace quenlark::converter
