#pragma once
// The player's timing holds up on a busy machine only when its thread runs ahead of ordinary
// work, as audio threads do.

namespace qv::seq {

// Asks for real-time scheduling for the calling thread where the system grants it to this user
// (a real-time priority limit, as desktops give their audio group); answers whether it was
// granted. A refusal changes nothing: the thread keeps its ordinary priority.
bool AskForRealTimePriority();

// Another way to be granted real-time scheduling when the limit refuses it, such as the
// desktop's real-time service. It is given the asking thread's system id and the priority wanted,
// is called on that thread, and answers whether the thread now runs in real time. Once it has
// refused, it is not asked again in this run: every song starts a thread, and a refusal costs a
// round trip.
using RealTimeService = bool (*)(long threadId, int priority);
void SetRealTimeService(RealTimeService service);

}  // namespace qv::seq
