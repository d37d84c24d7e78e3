#pragma once

// Fixtures shared by the platform tests: a fresh folder per test, environment variables set for
// one test only, and work done in a child process (to see sharing across processes, or to see
// the file system as an unprivileged user when the tests run as root).

#include <functional>
#include <optional>
#include <string>

namespace testsupport {

// A new, empty folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string PathOf(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

// Sets (or, with no value, removes) an environment variable and puts the old state back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const std::string& name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name;
    std::optional<std::string> savedValue;
};

enum class Privileges { Same, Unprivileged };

// Runs the body in a forked child and returns its result (0-255), or -1 when the child did not
// exit normally. Unprivileged drops to the user and group 65534 first, when running as root.
int RunInChildProcess(const std::function<int()>& body, Privileges privileges = Privileges::Same);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
bool Exists(const std::string& path);

} // namespace testsupport
