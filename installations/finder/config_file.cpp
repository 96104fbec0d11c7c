#include "config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "windows_path.h"

namespace quenlark {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xe0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
}

unsigned hexDigit(char c) {
    return c <= '9' ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
}

}  // namespace

std::optional<std::string> readConfigFile(const std::filesystem::path& file, std::string& why,
                                          std::size_t limit) {
    // Non-blocking, so that a FIFO put where a configuration file belongs is
    // refused below instead of waiting for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = "The file " + file.string() + " cannot be read (" + std::strerror(errno) + ").";
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        why = "The file " + file.string() + " is not an ordinary file, so it is not read.";
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = "The file " + file.string() + " cannot be read (" + std::strerror(errno) + ").";
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > limit) {
            ::close(fd);
            why = "The file " + file.string() + " is larger than " + std::to_string(limit / 1024) +
                  " KB, so it is not read.";
            return std::nullopt;
        }
    }
    ::close(fd);
    return text;
}

IniText::IniText(std::string_view text) {
    sections_.push_back({});
    // A byte order mark, as 86Box writes on Windows.
    if (text.substr(0, 3) == "\xef\xbb\xbf")
        text.remove_prefix(3);
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close != std::string_view::npos)
                sections_.push_back({std::string(trimmed(line.substr(1, close - 1))), {}, {}});
            continue;
        }
        sections_.back().lines.emplace_back(line);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        sections_.back().keys.emplace_back(std::string(trimmed(line.substr(0, equals))),
                                           std::string(trimmed(line.substr(equals + 1))));
    }
}

const IniText::Section* IniText::section(std::string_view name) const {
    for (const Section& s : sections_)
        if (sameNameIgnoringCase(s.name, name))
            return &s;
    return nullptr;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
    for (const Section& s : sections_) {
        if (!sameNameIgnoringCase(s.name, section))
            continue;
        for (const auto& [name, value] : s.keys)
            if (sameNameIgnoringCase(name, key))
                return value;
    }
    return std::nullopt;
}

std::string unquoteQtValue(std::string_view value) {
    if (value.substr(0, 2) == "@@")
        return std::string(value.substr(1));
    if (value.empty() || value.front() != '"')
        return std::string(value);
    std::string out;
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"')
            break;
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char escaped = value[++i];
        switch (escaped) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'x': {
                unsigned code = 0;
                std::size_t digits = 0;
                while (digits < 4 && i + 1 < value.size() &&
                       std::isxdigit(static_cast<unsigned char>(value[i + 1]))) {
                    code = code * 16 + hexDigit(value[++i]);
                    ++digits;
                }
                appendUtf8(out, code);
                break;
            }
            default:
                out += escaped;  // \" \\ \' \?
        }
    }
    return out;
}

}  // namespace quenlark
