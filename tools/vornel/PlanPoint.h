// A point in plan: an outline's corner.
#ifndef VORNEL_CLI_PLANPOINT_H
#define VORNEL_CLI_PLANPOINT_H

namespace vornel::cli {

struct PlanPoint {
    double x = 0;
    double y = 0;
};

}  // namespace vornel::cli

#endif
