// IO.SYS is a file from any drive, and its logo stream tells the decoder how
// much to read and write: any bytes as IO.SYS. What comes out is a logo file
// that reads back, or a sentence saying why there is none.

#include <cstdint>
#include <string_view>

#include "builtin_logo.h"
#include "logo_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quenlark::converter;
    const auto logo = builtinLogo(std::string_view(reinterpret_cast<const char*>(data), size));
    if (logo ? logo->size() != kLogoFileSize || !decodeLogo(*logo) : logo.error().empty())
        __builtin_trap();
    return 0;
}
