// Reading the raw text field of a record in the EventStore.
//
// A record's text runs from a fixed offset to a length derived from the
// record's own length field. That field may be damaged, so the reader trusts
// it only as far as the record and the store's used bytes allow: a derived
// length below zero gives the empty text, and a text that would run past the
// end of the store is cut there. Returns a copy; nothing is owned.
#pragma once

#include <cstdint>
#include <string>

#include "store/event_store.h"

namespace kal {

// The bytes at offset + textOffset, as many as (record length - fixedLength).
std::string RecordText(const EventStore& s, std::uint32_t offset, std::uint32_t textOffset,
                       std::uint32_t fixedLength);

}  // namespace kal
