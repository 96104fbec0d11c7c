#include "windows_command_line.h"

namespace quenlark {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmedLeft(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    return text.substr(start);
}

std::string_view trimmed(std::string_view text) {
    text = trimmedLeft(text);
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return text.substr(0, end);
}

}  // namespace

std::vector<CommandLineSplit> commandLineSplits(std::string_view commandLine) {
    std::string_view line = trimmedLeft(commandLine);
    if (line.empty())
        return {};

    if (line.front() == '"') {
        std::size_t close = line.find('"', 1);
        if (close == std::string_view::npos)
            return {{std::string(line.substr(1)), {}}};
        return {{std::string(line.substr(1, close - 1)),
                 std::string(trimmedLeft(line.substr(close + 1)))}};
    }

    std::vector<CommandLineSplit> splits;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (isBlank(line[i]) && !isBlank(line[i - 1]))
            splits.push_back(
                {std::string(line.substr(0, i)), std::string(trimmedLeft(line.substr(i)))});
    }
    std::string_view whole = trimmed(line);
    if (splits.empty() || splits.back().program != whole)
        splits.push_back({std::string(whole), {}});
    return splits;
}

std::string wholeArgument(std::string_view arguments) {
    std::string_view argument = trimmed(arguments);
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
        argument = argument.substr(1, argument.size() - 2);
    return std::string(argument);
}

}  // namespace quenlark
