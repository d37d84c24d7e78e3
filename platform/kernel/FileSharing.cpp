#include "platform/kernel/FileSharing.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/SystemCalls.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Four slots of 2^40 bytes each from 2^62 on: no file reaches that size, so the markers never meet
// a lock that covers real data. Inside a slot, each open owns the byte (process id << 18 | serial),
// which is unique while process ids stay below 2^22 (the kernel's limit).
constexpr off_t markerBase = off_t(1) << 62;
constexpr off_t slotSize = off_t(1) << 40;
constexpr int serialBits = 18;

enum class Slot { ReadAccess, WriteAccess, ReadDenial, WriteDenial };

struct Rights {
    bool reads;
    bool writes;
};

Rights AccessRights(DWORD access) {
    return {(access & (GENERIC_READ | GENERIC_ALL)) != 0, (access & (GENERIC_WRITE | GENERIC_ALL)) != 0};
}

off_t SlotStart(Slot slot) {
    return markerBase + static_cast<off_t>(slot) * slotSize;
}

off_t NextMarkerIndex() {
    static std::atomic<unsigned> serial{0};
    off_t low = serial.fetch_add(1) & ((1u << serialBits) - 1);
    return (static_cast<off_t>(::getpid()) << serialBits) | low;
}

// File systems that cannot lock answer with these; sharing is then not enforced by that layer.
bool IsLockingUnsupported(int error) {
    return error == ENOLCK || error == EINVAL || error == EOPNOTSUPP;
}

enum class LockResult { Taken, Conflict, Unsupported, Failed };

LockResult TakeFlock(int descriptor, DWORD shareMode) {
    bool isExclusive = (shareMode & (FILE_SHARE_READ | FILE_SHARE_WRITE)) == 0;
    int operation = (isExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (platform::RetryOnInterrupt([&] { return ::flock(descriptor, operation); }) == 0)
        return LockResult::Taken;
    if (errno == EWOULDBLOCK)
        return LockResult::Conflict;
    return IsLockingUnsupported(errno) ? LockResult::Unsupported : LockResult::Failed;
}

// Read locks need a readable descriptor and write locks a writable one; the markers never
// overlap, so either kind does.
LockResult PlaceMarker(int descriptor, Slot slot, off_t index) {
    int mode = ::fcntl(descriptor, F_GETFL) & O_ACCMODE;
    struct flock marker {};
    marker.l_type = mode == O_WRONLY ? F_WRLCK : F_RDLCK;
    marker.l_whence = SEEK_SET;
    marker.l_start = SlotStart(slot) + index;
    marker.l_len = 1;
    if (platform::RetryOnInterrupt([&] { return ::fcntl(descriptor, F_OFD_SETLK, &marker); }) == 0)
        return LockResult::Taken;
    if (errno == EAGAIN || errno == EACCES)
        return LockResult::Conflict;
    return IsLockingUnsupported(errno) ? LockResult::Unsupported : LockResult::Failed;
}

// Whether an open other than ours holds a marker in the slot.
bool IsSlotTakenByOthers(int descriptor, Slot slot) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = SlotStart(slot);
    probe.l_len = slotSize;
    if (platform::RetryOnInterrupt([&] { return ::fcntl(descriptor, F_OFD_GETLK, &probe); }) != 0)
        return false;
    return probe.l_type != F_UNLCK;
}

struct Marking {
    Slot slot;
    bool isWanted;
    Slot conflictingSlot;
};

LockResult PlaceMarkers(int descriptor, Rights access, DWORD shareMode) {
    Rights denied{!(shareMode & FILE_SHARE_READ), !(shareMode & FILE_SHARE_WRITE)};
    const Marking markings[] = {
        {Slot::ReadAccess, access.reads, Slot::ReadDenial},
        {Slot::WriteAccess, access.writes, Slot::WriteDenial},
        {Slot::ReadDenial, denied.reads, Slot::ReadAccess},
        {Slot::WriteDenial, denied.writes, Slot::WriteAccess},
    };
    off_t index = NextMarkerIndex();
    for (const Marking& marking : markings) {
        LockResult result =
            marking.isWanted ? PlaceMarker(descriptor, marking.slot, index) : LockResult::Taken;
        if (result != LockResult::Taken)
            return result;
    }
    // Every marker is in place before the first look, so of two conflicting opens at least the
    // later one sees the other.
    for (const Marking& marking : markings) {
        if (marking.isWanted && IsSlotTakenByOthers(descriptor, marking.conflictingSlot))
            return LockResult::Conflict;
    }
    return LockResult::Taken;
}

bool Report(LockResult result) {
    if (result == LockResult::Conflict)
        SetLastError(ERROR_SHARING_VIOLATION);
    else if (result == LockResult::Failed)
        platform::SetLastErrorFromErrno();
    return result == LockResult::Taken || result == LockResult::Unsupported;
}

} // namespace

namespace platform {

bool AcquireShareLocks(int descriptor, DWORD access, DWORD shareMode) {
    Rights rights = AccessRights(access);
    if (!rights.reads && !rights.writes)
        return true;
    LockResult result = TakeFlock(descriptor, shareMode);
    if (result != LockResult::Taken && result != LockResult::Unsupported)
        return Report(result);
    return Report(PlaceMarkers(descriptor, rights, shareMode));
}

} // namespace platform
