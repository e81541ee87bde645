#pragma once
// Real-time scheduling for the player's thread through the desktop's real-time service on the
// system bus, for the many desktops that grant it there rather than through a limit.

namespace qv::desktop {

// Asks the service to run the thread in real time at the priority (or the service's highest, if
// lower). False, quickly, when there is no system bus, no service, or it refuses. Needs the
// QApplication; may be called from any thread.
bool AskDesktopForRealTime(long threadId, int priority);

}  // namespace qv::desktop
