#include "support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace testsupport {

std::string SimulatorPath() {
#ifdef TOLVA_SIM_PATH
    return TOLVA_SIM_PATH;
#else
    return {};
#endif
}

std::string ProgramPath() {
#ifdef TOLVA_PROGRAM_PATH
    return TOLVA_PROGRAM_PATH;
#else
    return {};
#endif
}

std::string InstalledProgramPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(std::string(path != nullptr ? path : "") +
                               ":/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty())
            continue;
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

ChildProcess::ChildProcess(const std::string& scratchFolder, const std::string& errorFileStem)
    : errorPath(scratchFolder + "/" + errorFileStem + "-stderr.txt") {}

ChildProcess::~ChildProcess() {
    if (process > 0) {
        ::kill(process, SIGKILL);
        ::waitpid(process, nullptr, 0);
    }
    if (outputDescriptor >= 0)
        ::close(outputDescriptor);
}

bool ChildProcess::Start(const Launch& launch) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!launch.workingFolder.empty())
        ::posix_spawn_file_actions_addchdir_np(&actions, launch.workingFolder.c_str());
    std::string program = launch.program;
    std::vector<std::string> copies = launch.arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // This environment, with the launch's variables in place of any of the same name.
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string variable(*entry);
        bool isReplaced = false;
        for (const auto& [name, value] : launch.environment)
            isReplaced = isReplaced || variable.rfind(name + "=", 0) == 0;
        if (!isReplaced)
            variables.push_back(std::move(variable));
    }
    for (const auto& [name, value] : launch.environment)
        variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    int failure = ::posix_spawn(&process, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    outputDescriptor = output[0];
    if (failure != 0)
        process = -1;
    return failure == 0;
}

std::string ChildProcess::ReadOutputLine(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::size_t end = pendingOutput.find('\n');
        if (end != std::string::npos) {
            std::string line = pendingOutput.substr(0, end);
            pendingOutput.erase(0, end + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return {};
        pollfd watched{outputDescriptor, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[256];
        ssize_t got = ::read(outputDescriptor, buffer, sizeof buffer);
        if (got <= 0)
            return {};
        pendingOutput.append(buffer, static_cast<std::size_t>(got));
    }
}

bool ChildProcess::IsRunning() {
    int status = 0;
    if (process > 0 && ::waitpid(process, &status, WNOHANG) == process) {
        process = -1;
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return process > 0;
}

int ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (IsRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(process, SIGKILL);
            ::waitpid(process, nullptr, 0);
            process = -1;
            exitStatus = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::exchange(exitStatus, -1);
}

bool ChildProcess::Signal(int signal) const {
    return process > 0 && ::kill(process, signal) == 0;
}

double ChildProcess::CpuSeconds() const {
    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name is in parentheses and may hold blanks: the fields after it are counted
    // from its closing parenthesis; utime and stime are the 14th and 15th fields of the line.
    std::size_t close = text.rfind(')');
    if (process <= 0 || close == std::string::npos)
        return -1.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long user = 0;
    unsigned long long system = 0;
    for (int index = 3; index <= 15 && (fields >> field); ++index) {
        if (index == 14)
            user = std::strtoull(field.c_str(), nullptr, 10);
        if (index == 15)
            system = std::strtoull(field.c_str(), nullptr, 10);
    }
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double ChildProcess::ScheduledSeconds() const {
    if (process <= 0)
        return -1.0;
    const std::string tasks = "/proc/" + std::to_string(process) + "/task";
    DIR* folder = ::opendir(tasks.c_str());
    if (folder == nullptr)
        return -1.0;
    unsigned long long nanoseconds = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        // The first field of schedstat is the time spent on a processor.
        std::ifstream file(tasks + "/" + entry->d_name + "/schedstat");
        unsigned long long running = 0;
        if (file >> running)
            nanoseconds += running;
    }
    ::closedir(folder);
    return static_cast<double>(nanoseconds) / 1e9;
}

long ChildProcess::ProportionalKilobytes() const {
    std::ifstream file("/proc/" + std::to_string(process) + "/smaps_rollup");
    for (std::string line; process > 0 && std::getline(file, line);) {
        if (line.rfind("Pss:", 0) == 0)
            return std::strtol(line.c_str() + 4, nullptr, 10);
    }
    return -1;
}

long ChildProcess::ResidentKilobytes() const {
    std::ifstream file("/proc/" + std::to_string(process) + "/status");
    for (std::string line; process > 0 && std::getline(file, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

int ChildProcess::OpenDescriptors() const {
    if (process <= 0)
        return -1;
    DIR* folder = ::opendir(("/proc/" + std::to_string(process) + "/fd").c_str());
    if (folder == nullptr)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(folder)) {
        count += entry->d_name[0] != '.' ? 1 : 0;
    }
    ::closedir(folder);
    return count;
}

std::string ChildProcess::StandardOutput() {
    std::string text = std::move(pendingOutput);
    pendingOutput.clear();
    char buffer[4096];
    for (ssize_t got; (got = ::read(outputDescriptor, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

std::string ChildProcess::StandardError() const {
    std::ifstream file(errorPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace testsupport
