#include "builtin_logo_reader.h"

#include "builtin_logo.h"

namespace quenlark {

std::string ioSysPath(const StorePaths& paths) {
    return paths.driveLetter() + ":\\IO.SYS";
}

std::optional<std::string> readBuiltinLogo(FileSystem& files, const StorePaths& paths,
                                           std::string& error) {
    const std::string path = ioSysPath(paths);
    if (!files.fileExists(path)) {
        error = "There is no " + path + ", where Windows keeps its built-in start-up logo.";
        return std::nullopt;
    }
    const auto bytes = files.readFile(path, converter::kLargestIoSys);
    if (!bytes) {
        const std::string why = files.lastFailure();
        error = path + " cannot be read." + (why.empty() ? "" : " " + why);
        return std::nullopt;
    }
    auto logo = converter::builtinLogo(*bytes);
    if (!logo) {
        error = logo.error() + " (" + path + ")";
        return std::nullopt;
    }
    return std::move(*logo);
}

}  // namespace quenlark
