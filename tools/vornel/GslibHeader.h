// The header of a GSLIB (Geo-EAS) file, as kriging programs write their
// estimates: a title line, a line with the number of variables (and, in
// grid files, the cells along X, Y and Z), one line naming each variable,
// then the rows, separated by blanks.
#ifndef VORNEL_CLI_GSLIBHEADER_H
#define VORNEL_CLI_GSLIBHEADER_H

#include <optional>
#include <string>
#include <vector>

#include "SourceRow.h"
#include "TextRows.h"

namespace vornel::cli {

// GSLIB's kriging programs write this for a block they could not estimate.
constexpr double kGslibNoGrade = -999;

struct GslibHeader {
    std::string title;
    std::vector<std::string> names;
    std::optional<GridCells> cells;  // given on the count line of a grid file
    long lastLine = 0;               // the line naming the last variable
};

// Reads the header from the start of `rows` and leaves them at the first
// row, to be split at blanks; nothing when the file does not begin as a
// GSLIB file does (then `rows` are to be read again from the start).
std::optional<GslibHeader> readGslibHeader(TextRows& rows);

}  // namespace vornel::cli

#endif
