#include "process_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace quenlark {

std::string readProcessFile(pid_t pid, const std::string& name) {
    const std::string path = "/proc/" + std::to_string(pid) + "/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string content;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) {
            content.append(buffer.data(), static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            content.clear();
            break;
        }
    }
    ::close(fd);
    return content;
}

}  // namespace quenlark
