// Start-up on Windows. The program is a desktop program without a console of its own: a request
// to end it comes as WM_CLOSE to its window (the window's own close box, taskkill, a service
// wrapper), which the window takes as its "Close" button; the end of the user's session comes as
// WM_ENDSESSION, which closes the window likewise. There is no journal stream.

#include "app/Startup.h"

namespace app {

void WatchCloseRequests() {}

bool IsStandardErrorTheJournal() { return false; }

} // namespace app
