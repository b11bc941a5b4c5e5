// The name a mistyped word most likely meant, for messages that suggest it.
#ifndef VORNEL_CLI_NEARESTNAME_H
#define VORNEL_CLI_NEARESTNAME_H

#include <optional>
#include <string>
#include <vector>

namespace vornel::cli {

// The names of one thing: an option's long and short spellings, say.
using Spellings = std::vector<std::string>;

// The name, of those given, that the word is closest to in letters dropped,
// added, changed or swapped, ignoring case and leading dashes: none when
// even the closest takes more such edits than a third of the word's length
// (one for a short word). Of names equally close, the first; the name
// itself, in other case or with other dashes, first of all. A word of
// three letters or more that begins the names of one thing stands for the
// first of them it begins; one that begins those of several, for none.
std::optional<std::string> nearestName(const std::string& word,
                                       const std::vector<Spellings>& things);

}  // namespace vornel::cli

#endif
