#pragma once
// Internet Explorer's URL history, emptied through its history store.

#include <cstdint>
#include <optional>

#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// Empties the browser's URL history through its history store; false when the store answers
// that it did not. Raises CleanerError with the system's description of the creation failure
// (or "OLE error xxxxxxxx"), or "Interface not supported" when the store lacks the history
// interface.
bool clear_history(PlatformServices& platform);

// How many addresses the store holds, when it says; it is reached as clear_history reaches
// it, and raises the same errors.
std::optional<std::uint64_t> HistoryEntryCount(PlatformServices& platform);

} // namespace tv::engine::browsers
