#pragma once

#include <filesystem>

namespace quenlark {

// The disk tools of a run that was killed go on without it: its storage
// daemon keeps its export, a commit keeps writing and locking the image, and
// one that is being killed too still holds its files for a moment. The next
// run finds them by what they work on: a path in the folder of the run among
// their arguments, or a file in it open (a storage daemon has its log there
// from before it starts until its last moment), and with them what they
// started, by their process groups. This process is never one.

// Whether a tool works in `folder`.
bool toolsWorkIn(const std::filesystem::path& folder);

// Kills each tool that works in `folder` and waits, for some seconds at
// most, until it has ended with all of its threads: then none can still
// mount an export, write or hold a lock. Waits as well for every tool that
// is exiting: one whose main thread has ended shows nothing to tell where it
// worked, and its last thread releases its files and locks.
void endToolsWorkingIn(const std::filesystem::path& folder);

}  // namespace quenlark
