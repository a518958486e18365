#pragma once
// One jump list (*.automaticDestinations-ms): a compound file holding a DestList stream and
// one stream per entry, named by the entry's number in hexadecimal. What of it goes when its
// unpinned entries go, worked out from its bytes alone.

#include <string>
#include <string_view>

#include "engine/jumplists/CompoundFile.h"

namespace tv::engine::jumplists {

enum class JumpListAction {
    Keep,           // nothing but pinned entries: nothing to do
    Rewrite,        // pinned and unpinned entries: rewritten with the pinned ones only
    Remove,         // no pinned entry: the file goes
    UnknownVersion, // a DestList of a version not known here: left as it is
    Damaged,        // not a jump list that holds together: left as it is
};

struct JumpListPlan {
    JumpListAction action = JumpListAction::Damaged;
    int entries = 0; // the DestList's entries
    int pinned = 0;
    int leaving = 0;       // entries that go (all of them when the file goes)
    CompoundFile replacement; // for Rewrite: the file that takes the old one's place
};

// The plan for a jump list of these bytes. A pinned entry whose stream is missing, a second
// DestList, or anything that does not read with certainty leaves the file as it is.
JumpListPlan planJumpList(std::string_view bytes);

// Whether `written` holds exactly the plan's replacement: read again as a compound file, its
// DestList read with certainty and holding only the pinned entries, every stream kept byte
// for byte and none of the unpinned entries' left.
bool holdsReplacement(const JumpListPlan& plan, std::string_view written);

// The name of an entry's stream: its number in lower-case hexadecimal.
std::u16string entryStreamName(std::uint32_t number);

inline constexpr char16_t kDestListName[] = u"DestList";

} // namespace tv::engine::jumplists
