#include "VariogramModel.h"

#include <strings.h>

#include <cmath>
#include <numeric>

#include "Failure.h"
#include "ModelDatabase.h"
#include "NumberText.h"

namespace vornel::cli {
namespace {

bool shapeOf(const std::string& type, StructureShape& shape) {
    const std::pair<const char*, StructureShape> known[] = {{"sph", StructureShape::Spherical},
                                                            {"exp", StructureShape::Exponential},
                                                            {"gau", StructureShape::Gaussian}};
    for (const auto& [prefix, s] : known) {
        if (type.size() >= 3 && strncasecmp(type.c_str(), prefix, 3) == 0) {
            shape = s;
            return true;
        }
    }
    return false;
}

// The structure's share of its sill reached at r ranges from the origin.
double fraction(StructureShape shape, double r) {
    switch (shape) {
        case StructureShape::Spherical:
            return r >= 1 ? 1 : 1.5 * r - 0.5 * r * r * r;
        case StructureShape::Exponential:
            return 1 - std::exp(-3 * r);
        case StructureShape::Gaussian:
            return 1 - std::exp(-3 * r * r);
    }
    return 1;
}

}  // namespace

VariogramModel readVariogram(CVornelMng& mng, const std::string& path, const KrigBlockParam& run) {
    VariogramModel model;
    model.nugget = run.Vrg_Nug;
    model.sill = run.Vrg_Sill;
    if (!(model.nugget >= 0 && std::isfinite(model.nugget))) {
        throw Failure(std::string(run.Table_Name) + ": the run records a nugget of " +
                      formatNumber(model.nugget) + "; a nugget is 0 or more");
    }
    const std::vector<KrigBlockVrgParam> structures = structuresOf(mng, path, run.MineID);
    if (structures.empty()) {
        throw Failure(std::string(run.Table_Name) + ": the run records no variogram structure");
    }
    for (size_t i = 0; i < structures.size(); ++i) {
        const KrigBlockVrgParam& s = structures[i];
        VariogramStructure v;
        v.type = s.Vrg_Type;
        v.contribution = s.Vrg_LocSill;
        v.angles = {s.Vrg_Azm, s.Vrg_Dip, s.Vrg_Org};
        v.ranges = {s.Vrg_MaxRang, s.Vrg_MinRang, s.Vrg_VerRang};
        const std::string which = std::string(run.Table_Name) + ": structure " +
                                  std::to_string(i + 1) + " ('" + v.type + "')";
        if (!shapeOf(v.type, v.shape)) {
            throw Failure(which +
                          " is of a type not drawn: spherical, exponential and gaussian "
                          "are");
        }
        for (const double range : v.ranges) {
            if (!(range > 0 && std::isfinite(range))) {
                throw Failure(which + " has a range of " + formatNumber(range) +
                              "; ranges are above 0");
            }
        }
        if (!(v.contribution >= 0 && std::isfinite(v.contribution))) {
            throw Failure(which + " has a sill of " + formatNumber(v.contribution) +
                          "; sills are 0 or more");
        }
        model.structures.push_back(v);
    }
    return model;
}

std::string anglesText(const std::array<int, 3>& angles) {
    return std::to_string(angles[0]) + "/" + std::to_string(angles[1]) + "/" +
           std::to_string(angles[2]);
}

namespace {

// Angles a whole turn apart are one: 360 is 0, -90 is 270.
std::array<int, 3> turnOf(const std::array<int, 3>& angles) {
    std::array<int, 3> turned{};
    for (size_t i = 0; i < angles.size(); ++i) {
        turned[i] = (angles[i] % 360 + 360) % 360;
    }
    return turned;
}

}  // namespace

size_t structureOffAxes(const VariogramModel& model) {
    for (size_t i = 1; i < model.structures.size(); ++i) {
        if (turnOf(model.structures[i].angles) != turnOf(model.structures[0].angles)) {
            return i;
        }
    }
    return 0;
}

double variogramAt(const VariogramModel& model, int axis, double h) {
    if (h <= 0) {
        return 0;
    }
    return std::accumulate(
        model.structures.begin(), model.structures.end(), model.nugget,
        [&](double gamma, const VariogramStructure& s) {
            return gamma +
                   s.contribution * fraction(s.shape, h / s.ranges[static_cast<size_t>(axis)]);
        });
}

}  // namespace vornel::cli
