// The checks run on every fuzz input. Shared by the libFuzzer programs (built
// with clang) and by the replay test that runs the saved inputs in the normal
// build. Each returns normally on success and aborts on a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>

#include "check.h"

namespace kal::fuzz {

// Loads the bytes as an event file, builds every text of every record, saves
// and reloads: the saved file holds only whole live records, and saving it
// again changes nothing.
void EventFile(const std::uint8_t* data, std::size_t size);

// Loads the bytes as a settings file, saves and loads again: the settings
// survive unchanged and the second save writes the same bytes.
void SettingsFile(const std::uint8_t* data, std::size_t size);

// Imports the bytes as an iCalendar file into an empty store: every record is
// whole, every event has a group of its own of at most GroupSize records, and
// exporting the store and importing that gives the same records again.
void IcalImport(const std::uint8_t* data, std::size_t size);

}  // namespace kal::fuzz
