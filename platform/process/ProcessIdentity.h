#pragma once

#include <cstdint>

// Who a process is: its number, and when it started, which together tell a live process from
// one whose number the system has given to another since.
namespace tarn::platform::process {

std::int64_t CurrentProcessId();

// The system's start time of a process, in its own units; 0 when unknown.
std::uint64_t ProcessStartTime(std::int64_t processId);

// Whether a process with this number runs now (whoever owns it).
bool ProcessExists(std::int64_t processId);

}  // namespace tarn::platform::process
