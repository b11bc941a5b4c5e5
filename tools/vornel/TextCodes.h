// Numbers for the text fields of blocks, for the formats that hold numbers
// only (VTK, GSLIB): 1, 2, ... in the order reports list the texts, each
// spelling apart (a report takes "measured" for Measured, a file must give
// back what it was given), 0 for a block without one, and a key that says
// what each number stands for.
#ifndef VORNEL_CLI_TEXTCODES_H
#define VORNEL_CLI_TEXTCODES_H

#include <cstdint>
#include <string>
#include <vector>

#include "vornel/KrigBlockResult.h"
#include "vornel/KrigBlockVoid.h"

namespace vornel::cli {

struct TextCodes {
    std::vector<int32_t> codeOf;  // of block i
    // "CATEGORY 1 Measured, 2 "Oxide, weathered", 0 (none)", a name that
    // holds a separator, a quote or a blank at an end quoted; empty for no
    // blocks.
    std::string key;
};

TextCodes categoryCodes(const KrigBlockResult* blocks, long count);
TextCodes oreTypeCodes(const KrigBlockResult* blocks, long count);
TextCodes oreTypeCodes(const KrigBlockVoid* voids, long count);

// The keys that are not empty.
std::vector<std::string> keysOf(std::vector<std::string> keys);

// `what`, then the keys: "CU (Cu); CATEGORY 1 Measured; ORETYPE 1 Oxide",
// on one line: line breaks as blanks.
std::string titleOf(const std::string& what, const std::vector<std::string>& keys);

}  // namespace vornel::cli

#endif
