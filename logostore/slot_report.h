#pragma once

#include <string>

#include "file_system.h"
#include "slots.h"
#include "store_paths.h"

namespace quenlark {

// What a slot holds now, as `quenlark-logo list` tells it.
struct SlotReport {
    enum class Installed { Logo, NotALogo, Missing, Unreadable };
    // Copy: the logo found at first use is kept; WasNone: there was none then;
    // NotCaptured: the first use has not been seen.
    enum class Original { Copy, WasNone, NotCaptured };

    Installed installed = Installed::Missing;
    // Unreadable: why, as a sentence that names the file.
    std::string unreadableBecause;
    bool backup = false;
    Original original = Original::NotCaptured;
};

// Reads only: looks at the slot's installed logo (a logo Windows would show,
// or not), its backup and its original copy.
SlotReport reportSlot(FileSystem& files, const StorePaths& paths, Slot slot);

}  // namespace quenlark
