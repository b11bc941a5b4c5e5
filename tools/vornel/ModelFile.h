// A block model file read into blocks: the layout found, the columns by
// name, every row placed and grouped with its parent.
#ifndef VORNEL_CLI_MODELFILE_H
#define VORNEL_CLI_MODELFILE_H

#include <optional>
#include <string>
#include <vector>

#include "BlockList.h"
#include "SourceRow.h"

namespace vornel::cli {

struct ModelFileOptions {
    std::string element;               // empty, with no gradeColumn: no grade (voids)
    std::string gradeColumn;           // empty: found by the element's name
    std::vector<std::string> columns;  // names for a file without a header
    std::vector<std::string> unread;   // columns to leave unread (--ignore)
    GridOptions grid;
    // Rows whose grade is this are left out: blocks not estimated. A GSLIB
    // file's is -999, as its kriging programs write, unless given.
    std::optional<double> missing;
};

struct ModelFileReport {
    size_t rows = 0;
    char separator = 0;  // as TextRows::separator()
    bool positionsAreIndices = false;
    // Rows of several sizes made one block each, for nothing grouped them.
    bool severalSizesUngrouped = false;
    // The tonnes come from the file: a TONNAGE or DENSITY column.
    bool tonnesInFile = false;
    std::vector<std::string> ignoredColumns;
    std::string gradeColumn;  // its name as the file (or --columns) gives it; empty: none
    std::optional<std::string> gslibTitle;  // set for a GSLIB file
    std::optional<GridCells> cellsInOrder;  // the grid whose cells the rows fill in order
    size_t leftOut = 0;                     // rows whose grade was `missing`
    std::optional<double> missing;
};

// Reads the whole file into `blocks` before anything is written anywhere;
// throws Failure at the first place that cannot be read.
ModelFileReport readModelFile(const std::string& path, const ModelFileOptions& options,
                              BlockList& blocks);

}  // namespace vornel::cli

#endif
