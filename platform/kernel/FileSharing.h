#pragma once

// Win32 share modes for files opened by CreateFileA, across threads and processes.
//
// Win32 lets a new open of a file succeed only if, against every open that exists, the new open's
// access is within the old one's share mode and the old one's access is within the new one's share
// mode (FILE_SHARE_READ admits readers, FILE_SHARE_WRITE writers). Linux has no such check, so we
// keep it with advisory locks that belong to the open file description: two opens in one process
// are as separate as opens in two processes, and the locks go when the descriptor is closed, also
// when the process dies.
//
// Two layers do the work:
//  - flock: an open that shares neither reading nor writing takes LOCK_EX, every other open that
//    reads or writes takes LOCK_SH, both with LOCK_NB. This alone is never stricter than Win32,
//    settles the exclusive cases, and is what other Linux programs that use flock see.
//  - byte-range markers (F_OFD_SETLK) far beyond any real end of file refine the partial share
//    modes, which flock's two lock kinds cannot express: each open marks the rights it uses and
//    the rights it denies, each on a byte of its own, then looks for another open's marker that
//    conflicts. So a writer sharing read admits a reader sharing write but refuses a second writer,
//    as Win32 does.
//
// What is approximate:
//  - Two conflicting opens racing each other may both be refused, where Win32 admits the first;
//    never are both admitted.
//  - The locks are advisory: a program that does not take them (cat, an editor) is not stopped.
//  - FILE_SHARE_DELETE has no meaning here; Linux always allows unlinking an open file.
//  - Where a file system refuses the byte-range markers only the flock layer holds; where it
//    refuses flock as well (some network and FUSE file systems) nothing is enforced.
//  - Opens with neither read nor write access take no part, as in Win32.

#include "platform/WinTypes.h"

namespace platform {

// Takes the share locks for a descriptor that CreateFileA just opened. On a conflict returns false
// with ERROR_SHARING_VIOLATION set; the caller then closes the descriptor, which drops whatever
// was taken.
bool AcquireShareLocks(int descriptor, DWORD access, DWORD shareMode);

} // namespace platform
