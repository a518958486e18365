#pragma once
// The words a report is made of, shared by its text and its JSON: places as their user knows
// them, counts in their units, why a store stayed, outcomes. An item's own key (which may be
// an address) is never among them.

#include <cstdint>
#include <string>

#include "engine/RunReport.h"

namespace tv::console {

// "C:\Users\...\Temp", "HKEY_CURRENT_USER\Software\...", "Google Chrome « Travail » (History)".
std::string placeText(const engine::Place& place, engine::ItemKind kind);
std::string browserPlaceText(const std::string& browser, const std::string& profile, const std::string& store);
// "3 fichiers", "1 ligne".
std::string countText(engine::ItemKind kind, std::uint64_t count);
// The unit's plural, for totals.
const char* unitPlural(engine::ItemKind kind);
std::string storeProblemText(engine::StoreProblem why);

// The JSON's tokens.
const char* itemKindKey(engine::ItemKind kind);
const char* storeProblemKey(engine::StoreProblem why);
// "done", "absent", "impossible" (also a task that did not go its whole way), "planned".
const char* outcomeKey(const engine::TaskReport& task, engine::RunMode mode);

} // namespace tv::console
