// A run's row in the catalog (KrigBlock_Param), described from its blocks,
// and the writing of the run and its blocks.
#ifndef VORNEL_CLI_RUNRECORD_H
#define VORNEL_CLI_RUNRECORD_H

#include <string>

#include "BlockList.h"
#include "vornel/VornelMng.h"

namespace vornel::cli {

struct RunNames {
    std::string description;  // Krig_Result_Name
    std::string element;
    std::string table;
    std::string voidTable;
    int unitCode = 0;
};

// The grid the blocks span (start and end corners, block and sub-block
// sizes, counts), the number of ore types and categories, and the names.
KrigBlockParam describeRun(const BlockList& blocks, const RunNames& names);

// Inserts the run's row and returns its new MineID; throws Failure.
long registerRun(CVornelMng& mng, KrigBlockParam& run);

// Gives every block the MineID and inserts them into the table in batches,
// with a progress bar; throws Failure.
void insertBlocks(CVornelMng& mng, const std::string& table, long mineId, BlockList& blocks);

// Registers a void table in the catalog (a row whose element is VOIDBLOCK)
// and returns the row's MineID, which its void blocks carry; throws Failure.
long registerVoidTable(CVornelMng& mng, const std::string& table, const std::string& description);

// Gives every void block the MineID and inserts them into the table.
void insertVoids(CVornelMng& mng, const std::string& table, long mineId, VoidList& voids);

// The blocks as void blocks (box, coefficient, ore type, boundary flag),
// which take over their sub-blocks.
void moveIntoVoids(BlockList& blocks, VoidList& voids);

}  // namespace vornel::cli

#endif
