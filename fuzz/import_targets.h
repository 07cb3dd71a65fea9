// The checks run on every fuzz input of the two import readers, shared by
// the libFuzzer programs and the replay test of the normal build. Each
// returns normally on success and aborts on a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kal::fuzz {

// Imports the bytes as "event10.dat" (format 0) or "corvit10.dat" (format 1)
// into an empty store: every record appended is well-formed and of a kind
// the program writes, with a category of the table, the input is unchanged,
// and the index built over the store holds every appended record.
void ImportFile(int format, const std::uint8_t* data, std::size_t size);

}  // namespace kal::fuzz
