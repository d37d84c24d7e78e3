#pragma once

// Whether the DNC link has its end of the cable open. It takes an exclusive lock (flock) on its
// port when it opens it, and the kernel lists every such lock in /proc/locks by the device and
// inode of the file. Looking there leaves the port alone: a probe that opened the port itself
// could take the lock in the very moment the DNC link tries to, and refuse it the port.

#include <string>

namespace simulator {

// True while some process holds an flock on the device node at path (a symbolic link is
// followed, so a socat link or a /dev/serial/by-id name finds its device).
bool IsPortHeld(const std::string& path);

} // namespace simulator
