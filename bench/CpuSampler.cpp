#include "CpuSampler.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace bench {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The processor seconds of every wineserver on the machine.
double WineserverCpuSeconds() {
    double total = 0.0;
    std::error_code error;
    for (const std::filesystem::directory_entry& process :
         std::filesystem::directory_iterator("/proc", error)) {
        const std::string comm = ReadAll((process.path() / "comm").string());
        if (comm.rfind("wineserver", 0) != 0) {
            continue;
        }
        // utime and stime are the 14th and 15th fields, after the name in parentheses.
        const std::string stat = ReadAll((process.path() / "stat").string());
        const std::size_t nameEnd = stat.rfind(')');
        if (nameEnd == std::string::npos || nameEnd + 2 > stat.size()) {
            continue; // ended between the two reads
        }
        std::istringstream fields(stat.substr(nameEnd + 2));
        std::string field;
        unsigned long long user = 0;
        unsigned long long system = 0;
        for (int index = 3; index <= 15 && fields >> field; ++index) {
            if (index == 14) {
                user = std::stoull(field);
            } else if (index == 15) {
                system = std::stoull(field);
            }
        }
        total += static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return total;
}

} // namespace

CpuSampler::CpuSampler(const testsupport::ChildProcess& program, bool countsWineserver)
    : program(program), countsWineserver(countsWineserver), thread([this] { Run(); }) {}

CpuSampler::~CpuSampler() {
    isStopping = true;
    thread.join();
}

double CpuSampler::Between(Clock::time_point from, Clock::time_point to) {
    std::lock_guard lock(mutex);
    return At(to) - At(from);
}

double CpuSampler::At(Clock::time_point when) const {
    double value = samples.empty() ? 0.0 : samples.front().second;
    for (const auto& [at, cpu] : samples) {
        if (at > when) {
            break;
        }
        value = cpu;
    }
    return value;
}

void CpuSampler::Run() {
    while (!isStopping) {
        const double cpu = program.CpuSeconds() + (countsWineserver ? WineserverCpuSeconds() : 0.0);
        if (cpu >= 0.0) {
            std::lock_guard lock(mutex);
            samples.emplace_back(Clock::now(), cpu);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace bench
