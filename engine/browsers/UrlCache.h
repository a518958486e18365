#pragma once
// Internet Explorer's URL cache, emptied entry by entry through its enumeration.

#include <cstdint>
#include <optional>

#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// Deletes every entry of the browser's URL cache. Entries that refuse deletion stay.
// Always ends, whatever the enumeration reports. False when an entry refused deletion or the
// enumeration stopped on an error before its end: entries may have stayed. `removed`, when
// given, learns how many went.
bool PurgeUrlCache(PlatformServices& platform, std::uint64_t* removed = nullptr);

// The entries the purge would meet, through the same enumeration, deleting nothing; nothing
// when the enumeration broke before its end.
std::optional<std::uint64_t> CountUrlCache(PlatformServices& platform);

} // namespace tv::engine::browsers
