#include "SimulatorProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tools::tests {

std::string SimulatorPath() {
    return TOLVA_SIM_PATH;
}

SimulatorProcess::SimulatorProcess(const std::string& scratchFolder) : errorPath(scratchFolder + "/sim-stderr.txt") {}

SimulatorProcess::~SimulatorProcess() {
    if (process > 0) {
        ::kill(process, SIGKILL);
        ::waitpid(process, nullptr, 0);
    }
    if (outputDescriptor >= 0)
        ::close(outputDescriptor);
}

bool SimulatorProcess::Start(const std::vector<std::string>& arguments) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
    std::string program = SimulatorPath();
    std::vector<char*> argv{program.data()};
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int failure = ::posix_spawn(&process, program.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    outputDescriptor = output[0];
    if (failure != 0)
        process = -1;
    return failure == 0;
}

std::string SimulatorProcess::ReadPortPath(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::size_t end = pendingOutput.find('\n');
        if (end != std::string::npos) {
            std::string line = pendingOutput.substr(0, end);
            pendingOutput.erase(0, end + 1);
            return line.rfind("PORT ", 0) == 0 ? line.substr(5) : std::string();
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
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

int SimulatorProcess::WaitForExit(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (process > 0) {
        int status = 0;
        pid_t ended = ::waitpid(process, &status, WNOHANG);
        if (ended == process) {
            process = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(process, SIGKILL);
            ::waitpid(process, nullptr, 0);
            process = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

std::string SimulatorProcess::StandardOutput() {
    std::string text = pendingOutput;
    char buffer[4096];
    for (ssize_t got; (got = ::read(outputDescriptor, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

std::string SimulatorProcess::StandardError() const {
    std::ifstream file(errorPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace tools::tests
