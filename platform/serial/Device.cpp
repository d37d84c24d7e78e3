#include "platform/serial/Device.h"

#include <poll.h>

namespace platform {

int PollUntil(pollfd* watched, unsigned long count, SerialDeadline deadline) {
    const auto left = deadline.Remaining();
    const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                           static_cast<long>(left.count() % 1'000'000'000)};
    return ::ppoll(watched, count, &timeout, nullptr);
}

} // namespace platform
