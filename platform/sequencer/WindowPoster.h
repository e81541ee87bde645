#pragma once
// How the sequencer's completions reach the program: as MM_MCINOTIFY posted to the window that the
// play command named, exactly as the platform's own sequencer would post it.
#include "platform/sequencer/SequencerMci.h"

namespace qv::seq {

// A poster that queues MM_MCINOTIFY (wParam the notification code, lParam the device id) for the
// callback window through the window-system seam. Safe to call from the player threads.
Poster MakeWindowPoster();
// Queues QV_MM_SOUNDPROBLEM (wParam the string id) the same way, so that the message box is shown
// by the window's own thread, never by the thread that found the problem.
ProblemPoster MakeProblemPoster();

}  // namespace qv::seq
