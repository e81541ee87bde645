#pragma once
// The player's timing holds up on a busy machine only when its thread runs ahead of ordinary
// work, as audio threads do.

namespace qv::seq {

// Asks for real-time scheduling for the calling thread where the system grants it to this user
// (a real-time priority limit, as desktops give their audio group); answers whether it was
// granted. A refusal changes nothing: the thread keeps its ordinary priority.
bool AskForRealTimePriority();

}  // namespace qv::seq
