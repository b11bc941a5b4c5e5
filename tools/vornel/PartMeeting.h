// How two parts of a plan outline whose edges meet lie, one to the other:
// the parcels of a cadastre share their boundaries, and a hole may touch
// the ring around it.
#ifndef VORNEL_CLI_PARTMEETING_H
#define VORNEL_CLI_PARTMEETING_H

#include <vector>

#include "PlanPoint.h"

namespace vornel::cli {

enum class PartMeeting {
    Apart,         // they touch along edges or at corners only
    FirstInside,   // the first lies wholly within the second
    SecondInside,  // the second lies wholly within the first
    Same,          // they enclose the same ground
    Overlapping,   // each holds ground the other does not, and some they share
};

// The answer for the two simple rings, exact for the doubles given.
PartMeeting howPartsMeet(const std::vector<PlanPoint>& first, const std::vector<PlanPoint>& second);

}  // namespace vornel::cli

#endif
