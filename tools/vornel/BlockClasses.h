// Blocks sorted into classes by one of their text fields, for tables that
// list a model class by class.
#ifndef VORNEL_CLI_BLOCKCLASSES_H
#define VORNEL_CLI_BLOCKCLASSES_H

#include <functional>
#include <string>
#include <vector>

#include "vornel/KrigBlockResult.h"

namespace vornel::cli {

enum class ClassField {
    Category,  // Krig_ResType: Measured, Indicated, Inferred
    OreType,   // Krig_OreType
    Pass,      // Srch_Degr, the search pass that estimated the block: "pass 2"
};

// Class names compare as the database compares its texts: ASCII letters
// without case, so that "measured" is Measured in a report as it is in a
// --where condition.
struct ClassNameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct BlockClasses {
    std::vector<std::string> names;
    std::vector<size_t> classOf;  // block i is of class names[classOf[i]]
    bool blankLast = false;       // the last class, "(none)", is of blocks without a text
};

// The block's text in the field.
std::string classText(const KrigBlockResult& block, ClassField field);

// An SQL condition met by the rows whose text in `column` (Krig_ResType or
// Krig_OreType) a block read cuts: one longer than the 19 bytes it keeps,
// or holding a NUL byte, of which classText gives the bytes before.
std::string cutByReadCondition(const char* column);

// Whether names alike but for case are one class, as reports take them, or
// each spelling one, as a file that numbers them must keep them.
enum class Spelling { AnyCase, Exact };

// The classes in the order a resource statement lists them: Measured,
// Indicated and Inferred (in any case) first, then the other names as a
// reader counts them ("pass 2" before "pass 10"), then "(none)" for blocks
// whose field is empty. With Spelling::AnyCase, names alike but for case
// are one class, named as the first block names it.
BlockClasses classify(const KrigBlockResult* blocks, long count, ClassField field,
                      Spelling spelling = Spelling::AnyCase);

// The same for texts taken from the blocks already: text i is of class
// names[classOf[i]].
BlockClasses classifyTexts(const std::vector<std::string>& texts);

// The same for `count` texts, text i given by textOf(i) when asked.
BlockClasses classifyEach(size_t count, const std::function<std::string(size_t)>& textOf,
                          Spelling spelling = Spelling::AnyCase);

// The blocks by bench: the height of their centre (a split block's is that
// of its box, whatever its sub-blocks), from the top down, as a mine works
// them.
BlockClasses classifyByBench(const KrigBlockResult* blocks, long count);

// What --by takes: "category", "oretype", "bench", "pass".
const std::vector<std::string>& classFieldNames();

// The blocks by one of those.
BlockClasses classesBy(const std::string& by, const KrigBlockResult* blocks, long count);

// The heading of its column: "category", "ore type", "bench (Z)",
// "search pass".
std::string classLabel(const std::string& by);

// Whether a class comes before another in that order.
bool listedBefore(const std::string& a, const std::string& b);

// Where a text stands in that order: 0, 1 and 2 for Measured, Indicated
// and Inferred, 3 for any other text, 4 for an empty one.
size_t confidenceRank(const std::string& text);

}  // namespace vornel::cli

#endif
