// What the autostart registration stores, and what the user is told when Windows refuses it.
#include "app/autostart/autostart_entry.h"

namespace {

constexpr std::string_view kSilentModeSuffix = " 1";

constexpr std::string_view kAddingFailedLine = "增加开机启动失败";
constexpr std::string_view kClearingFailedLine = "清除开机启动失败";
// Advice that follows either first line.
constexpr std::string_view kAdviceLines[] = {
    "如果杀毒软件拦截，请允许通过",
    "如果是WIN7或者以上系统，请用",
    "管理员方式打开本软件后，再设置。",
    "正常使用软件时不可以用管理员方式打开",
};
constexpr std::string_view kLineBreak = "\r\n";

}  // namespace

std::string AutostartCommand(std::string_view programPath) {
    std::string command;
    command.reserve(programPath.size() + 2 + kSilentModeSuffix.size());
    command.append(1, '"').append(programPath).append(1, '"').append(kSilentModeSuffix);
    return command;
}

std::optional<SilentCommandProgram> ProgramOfSilentCommand(std::string_view command) {
    if (command.size() <= kSilentModeSuffix.size() ||
        command.substr(command.size() - kSilentModeSuffix.size()) != kSilentModeSuffix) {
        return std::nullopt;
    }
    std::string_view path = command.substr(0, command.size() - kSilentModeSuffix.size());
    const bool quoted = path.front() == '"';
    if (quoted) {
        if (path.size() < 2 || path.back() != '"') {
            return std::nullopt;
        }
        path = path.substr(1, path.size() - 2);
    }
    // No Windows path holds a quote; one left inside was never written by this program.
    if (path.empty() || path.find('"') != std::string_view::npos) {
        return std::nullopt;
    }
    return SilentCommandProgram{path, quoted};
}

std::string AutostartFailureText(AutostartChange change) {
    std::string text(change == AutostartChange::Adding ? kAddingFailedLine : kClearingFailedLine);
    for (const std::string_view line : kAdviceLines) {
        text.append(kLineBreak).append(line);
    }
    return text;
}
