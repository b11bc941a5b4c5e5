// The polygons of an ESRI shapefile (.shp), the form in which cadastres and
// GIS programs hand out licence boundaries.
#ifndef VORNEL_CLI_SHAPEFILE_H
#define VORNEL_CLI_SHAPEFILE_H

#include <optional>
#include <string>
#include <vector>

#include "PlanOutline.h"

namespace vornel::cli {

// Each ring of each polygon in the file at `path` as one part, in the
// file's order, for the outline to tell ground from holes by how the rings
// nest; the Z and M values of 3D and measured polygons are ignored. None
// when the file is no shapefile (or cannot be opened, or is a pipe or some
// other file that is not a regular one). Throws Failure, naming the file,
// for one that holds other shapes than polygons, no polygon, or a record
// that does not hold together.
std::optional<std::vector<OutlinePart>> shapefileRings(const std::string& path);

}  // namespace vornel::cli

#endif
