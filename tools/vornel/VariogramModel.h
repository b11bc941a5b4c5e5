// A run's variogram model as the catalog records it: a nugget and nested
// structures, each with its type, its share of the sill, the angles of its
// anisotropy and its ranges along the major, minor and vertical axes they
// set.
#ifndef VORNEL_CLI_VARIOGRAMMODEL_H
#define VORNEL_CLI_VARIOGRAMMODEL_H

#include <array>
#include <string>
#include <vector>

#include "vornel/VornelMng.h"

namespace vornel::cli {

enum class StructureShape { Spherical, Exponential, Gaussian };

struct VariogramStructure {
    std::string type;  // as recorded
    StructureShape shape = StructureShape::Spherical;
    double contribution = 0;
    std::array<int, 3> angles{};     // Vrg_Azm, Vrg_Dip, Vrg_Org
    std::array<double, 3> ranges{};  // major, minor, vertical
};

struct VariogramModel {
    double nugget = 0;
    double sill = 0;  // as recorded: the nugget and the structures together
    std::vector<VariogramStructure> structures;
};

// The model of the run, read from the catalog. Throws Failure when it
// records none, or a structure whose type is none of spherical,
// exponential and gaussian (or their first three letters, in any case),
// whose ranges are not above 0 or whose sill is below 0, or a nugget below
// 0.
VariogramModel readVariogram(CVornelMng& mng, const std::string& path, const KrigBlockParam& run);

// Azimuth, dip and third angle as "60/55/0".
std::string anglesText(const std::array<int, 3>& angles);

// The first structure whose angles differ from those of the first, or 0
// when all share their axes.
size_t structureOffAxes(const VariogramModel& model);

// The variogram at lag h (0 or more) along axis 0 (major), 1 (minor) or 2
// (vertical) of the structures, whose axes must be one (structureOffAxes):
// 0 at h = 0, the nugget and each structure's share above it.
// Ranges are practical ranges: an exponential or gaussian structure reaches
// 95 % of its share there.
double variogramAt(const VariogramModel& model, int axis, double h);

}  // namespace vornel::cli

#endif
