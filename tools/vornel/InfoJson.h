// What info tells, as one JSON document for scripts: each run with its
// counts, ranges and parameters, and each void table.
#ifndef VORNEL_CLI_INFOJSON_H
#define VORNEL_CLI_INFOJSON_H

#include <ostream>
#include <string>
#include <vector>

#include "vornel/VornelMng.h"

namespace vornel::cli {

// Throws Failure.
void writeInfoJson(std::ostream& out, CVornelMng& mng, const std::string& db,
                   const std::vector<KrigBlockParam>& runs,
                   const std::vector<std::string>& voidTables);

}  // namespace vornel::cli

#endif
