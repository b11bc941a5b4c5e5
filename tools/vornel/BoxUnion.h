// Boxes that may overlap made into boxes that do not, covering the same
// ground once: what a volume or a share of ground is measured on.
#ifndef VORNEL_CLI_BOXUNION_H
#define VORNEL_CLI_BOXUNION_H

#include <vector>

#include "Box.h"

namespace vornel::cli {

// The parts of `a` outside `b`: `a` itself when they share no volume, none
// when `b` covers it, else up to six boxes.
std::vector<Box> subtractBox(const Box& a, const Box& b);

// Each box less the earlier boxes it shares volume with: the union of the
// boxes, each place of it in one box only.
std::vector<Box> disjointBoxes(const std::vector<Box>& boxes);

// The sum of the boxes' volumes.
double totalVolume(const std::vector<Box>& boxes);

// The box two boxes share, of size 0 along an axis where they do not meet.
Box sharedBox(const Box& a, const Box& b);

// The volume two boxes share.
double sharedVolume(const Box& a, const Box& b);

}  // namespace vornel::cli

#endif
