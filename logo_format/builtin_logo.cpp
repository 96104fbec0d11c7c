#include "builtin_logo.h"

#include "logo_bitmap.h"
#include "logo_stream.h"

namespace quenlark::converter {

namespace {

// Windows ME compresses IO.SYS as a whole behind the loader that IO.SYS of
// 95, 98 and ME alike start with (2 KB, beginning 'MZ'): the rest opens with
// 'CM' and holds the kernel, logo included, in chunks of another format, so
// the logo's own stream is nowhere to be seen. Boot loaders that start ME's
// IO.SYS themselves (grub4dos) tell it by the same two bytes.
constexpr std::size_t kLoaderSize = 0x800;

bool isCompressedAsAWhole(std::string_view ioSys) {
    return ioSys.size() >= kLoaderSize + 2 && ioSys.substr(0, 2) == "MZ" &&
           ioSys.substr(kLoaderSize, 2) == "CM";
}

}  // namespace

Result<std::string> builtinLogo(std::string_view ioSys) {
    using R = Result<std::string>;
    const auto start = findLogoStream(ioSys);
    if (!start)
        return R::failure(isCompressedAsAWhole(ioSys) ? kWindowsMeNotSupported
                                                      : "IO.SYS holds no built-in start-up logo.");
    const auto bitmap = expandLogoStream(ioSys, *start);
    if (!bitmap)
        return R::failure(bitmap.error());
    // Windows 98's bitmap says biSizeImage 0 and has two bytes more than
    // Windows 95's; both come out as the one file every logo is.
    const auto logo = decodeLogo(*bitmap);
    if (!logo)
        return R::failure("IO.SYS holds a compressed picture that is not a start-up logo: " +
                          asClause(logo.error()));
    return encodeLogo(*logo);
}

}  // namespace quenlark::converter
