#pragma once

#include <functional>

namespace lectorix::events {

// The one place where the program lets the window handle what is pending. Long operations
// call these instead of touching the event loop themselves, so re-entry (Pause while a
// reading waits, a slider moved during a conversion) happens only here.

// Handles every pending window event once and returns (the classic DoEvents).
void processPending();

// Waits until done() is true, handling window events meanwhile. Sleeps between wake-ups
// (window events, posted work, or a short timer), so a long wait costs almost no processor
// time. Returns false without waiting further when the program is ending.
bool waitUntil(const std::function<bool()>& done, int wakeIntervalMs = 20);

// Waits about the given time while handling window events.
void waitFor(double seconds);

// Set when the main window closes; every wait then returns at once.
bool programEnding();
void setProgramEnding(bool ending = true);

} // namespace lectorix::events
