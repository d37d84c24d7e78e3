#include "testhooks/VersionAnswer.h"

#include "platform/kernel/Version.h"

#include <mutex>

namespace testhooks {

namespace {

std::mutex answerMutex;
std::optional<VersionAnswer> answer;

bool Answer(bool extended, OSVERSIONINFOA& record) {
    std::lock_guard lock(answerMutex);
    if (!answer || (extended ? answer->refuseExtended : answer->refusePlain))
        return false;
    record = answer->record;
    return true;
}

} // namespace

void SetVersionAnswer(std::optional<VersionAnswer> given) {
    {
        std::lock_guard lock(answerMutex);
        answer = std::move(given);
    }
    platform::SetVersionSource(answer ? Answer : nullptr);
}

} // namespace testhooks
