// What the database holds for a run and its tables, as the public API
// reports it, and how the commands print it.
#ifndef VORNEL_CLI_MODELFACTS_H
#define VORNEL_CLI_MODELFACTS_H

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "BlockClasses.h"
#include "GradeUnit.h"
#include "vornel/VornelMng.h"

namespace vornel::cli {

// Blocks by the name of their class.
using ClassCounts = std::map<std::string, long, ClassNameLess>;

struct TableFacts {
    long blocks = 0;
    long split = 0;  // blocks stored with sub-blocks
    long subBlocks = 0;
    long ungraded = 0;                 // blocks whose grade is NULL or text
    std::map<long, long> blocksOfRun;  // by MineID
    ClassCounts categories;
    ClassCounts oreTypes;
    ClassCounts passes;  // "pass 1"; "" where none is recorded
    double minGrade = 0, maxGrade = 0;
    double minVariance = 0, maxVariance = 0;  // min above max when none has one
    D_3DOT minCentre{}, maxCentre{};
};

class UngradedBlocks;

// Counts and ranges of the blocks of run `mineId` in a table that several
// runs share (by the catalog or by its blocks), else of every block; grade
// and variance ranges over the blocks that have one. Throws Failure.
TableFacts readTableFacts(CVornelMng& mng, const std::string& table, long mineId);

// The same of blocks in memory, those that `ungraded` (when given) lists
// having no grade, and `noVariance` no variance; `shared` when the catalog
// lists other runs there.
TableFacts factsOfBlocks(const KrigBlockResult* blocks, long count, long mineId,
                         const UngradedBlocks* ungraded, bool shared = false,
                         const UngradedBlocks* noVariance = nullptr);

// The counts of each category or ore type that has a name, in the order a
// resource statement lists them; then, when some block has a name, those
// without one as "(none)". None when no block has one.
std::vector<std::pair<std::string, long>> classesInOrder(const ClassCounts& counts);

// "  label          value"
void printFact(std::ostream& out, const std::string& label, const std::string& value);

// "500012.5 .. 500987.5": coordinates with every digit, as mining grids need.
std::string coordinateRange(double low, double high);

// What a run estimates, its element and grade unit: "Cu (%)"; "grade (%)"
// for blocks the catalog lists no run of. Two runs set side by side must
// estimate one.
std::string estimateOf(const std::optional<KrigBlockParam>& run);

// The counts and ranges of a result table whose grades are of `element`.
void printTableFacts(std::ostream& out, const TableFacts& facts, const std::string& element,
                     const GradeUnit& unit);

// A run of the catalog: its table and element, what the table holds and the
// run's parameters; throws Failure, naming the database at `path`.
void printRun(std::ostream& out, CVornelMng& mng, const std::string& path,
              const KrigBlockParam& run);

struct VoidFacts {
    bool missing = false;  // registered, but the table is gone
    long blocks = 0;
    long split = 0;       // void blocks stored with sub-blocks
    double volume = 0;    // of their ground, what several share counted once
    long unmeasured = 0;  // left out of the volume: a place or size no number
};

// The void blocks of a table: their ground is their sub-blocks, or their
// boxes. Throws Failure, naming the database at `path`.
VoidFacts readVoidFacts(CVornelMng& mng, const std::string& path, const std::string& table);

// The same of void blocks in memory.
VoidFacts factsOfVoids(const KrigBlockVoid* voids, long count);

// "446 void blocks (410 with sub-blocks), 83572.8 m3"
std::string voidSummary(const VoidFacts& facts);

}  // namespace vornel::cli

#endif
