#include "ColumnRoles.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <iterator>

#include "Failure.h"
#include "GradeUnit.h"

namespace vornel::cli {
namespace {

struct Aliases {
    Role role;
    std::initializer_list<const char*> names;
};

// Names as normalName() gives them.
const Aliases kAliases[] = {
    {Role::X,
     {"X", "XC", "XCENTRE", "XCENTER", "X_CENTRE", "X_CENTER", "XCEN", "XMID", "EAST", "EASTING",
      "CENTROID_X"}},
    {Role::Y,
     {"Y", "YC", "YCENTRE", "YCENTER", "Y_CENTRE", "Y_CENTER", "YCEN", "YMID", "NORTH", "NORTHING",
      "CENTROID_Y"}},
    {Role::Z,
     {"Z", "ZC", "ZCENTRE", "ZCENTER", "Z_CENTRE", "Z_CENTER", "ZCEN", "ZMID", "ELEV", "ELEVATION",
      "RL", "CENTROID_Z"}},
    {Role::SizeX, {"DX", "XINC", "XSIZE", "SIZEX", "SIZE_X", "X_SIZE", "XLEN", "DIM_X"}},
    {Role::SizeY, {"DY", "YINC", "YSIZE", "SIZEY", "SIZE_Y", "Y_SIZE", "YLEN", "DIM_Y"}},
    {Role::SizeZ, {"DZ", "ZINC", "ZSIZE", "SIZEZ", "SIZE_Z", "Z_SIZE", "ZLEN", "DIM_Z"}},
    {Role::I, {"I", "IX", "ICOL", "I_INDEX"}},
    {Role::J, {"J", "IY", "JROW", "J_INDEX"}},
    {Role::K, {"K", "IZ", "KLEV", "K_INDEX"}},
    {Role::Ijk, {"IJK"}},
    {Role::Parent, {"BLOCKID", "BLOCK_ID", "PARENT", "PARENTID", "PARENT_ID", "PID"}},
    {Role::ParentX, {"PARENT_X", "PX", "XPARENT"}},
    {Role::ParentY, {"PARENT_Y", "PY", "YPARENT"}},
    {Role::ParentZ, {"PARENT_Z", "PZ", "ZPARENT"}},
    {Role::ParentSizeX, {"PARENT_DX", "PDX", "PARENT_XINC"}},
    {Role::ParentSizeY, {"PARENT_DY", "PDY", "PARENT_YINC"}},
    {Role::ParentSizeZ, {"PARENT_DZ", "PDZ", "PARENT_ZINC"}},
    {Role::Variance,
     {"VARIANCE", "KVAR", "KRIGVAR", "KRIG_VAR", "KV", "VAR", "KVARIANCE", "ESTIMATIONVARIANCE",
      "KRIGINGVARIANCE"}},
    {Role::Category,
     {"CATEGORY", "CAT", "CLASS", "RESCAT", "RES_CAT", "RESCLASS", "RESOURCE", "RESOURCE_CLASS"}},
    {Role::OreType,
     {"ORETYPE", "ORE_TYPE", "ROCKTYPE", "ROCK", "ROCK_TYPE", "LITHO", "DOMAIN", "ZONE"}},
    {Role::Tonnage, {"TONNAGE", "TONNES", "TONS", "TON", "MASS", "TONNE"}},
    {Role::Density, {"DENSITY", "SG", "DENS", "BD", "BULK_DENSITY"}},
    {Role::Samples, {"NSAMP", "NSAMPLES", "SAMPLES", "NUM_SAMPLES", "KNS", "NS"}},
    {Role::MeanDistance, {"AVGDIST", "AVG_DIST", "MEANDIST", "MEAN_DIST", "AVD"}},
    {Role::SearchPass, {"PASS", "SPASS", "SEARCH_PASS", "SVOL"}},
    {Role::Coefficient, {"COEF", "BLOCK_COEF", "COEFFICIENT", "FILL", "PROPORTION"}},
    {Role::Bound, {"BOUND"}},
    {Role::SubBlockCount, {"SUBBLOCKS", "SUBBUD_NUM"}},
};

// Columns that export writes and import reads nothing from: an element of
// one of these names must not take that column for its grade.
bool isExportedOnly(const std::string& name) {
    return name == "MINEID" || name == "VOLUME";
}

const char* roleName(Role role) {
    static const char* const kNames[kRoleCount] = {
        "X centre",      "Y centre",      "Z centre",   "X size",         "Y size",
        "Z size",        "I index",       "J index",    "K index",        "IJK index",
        "parent id",     "parent X",      "parent Y",   "parent Z",       "parent X size",
        "parent Y size", "parent Z size", "grade",      "variance",       "category",
        "ore type",      "tonnage",       "density",    "sample count",   "mean distance",
        "search pass",   "coefficient",   "bound flag", "sub-block count"};
    return kNames[static_cast<int>(role)];
}

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// "Au g/t", "Cu (%)": the element, a blank, then a unit and nothing else.
// Other words after a blank make another value ("Cu soluble %").
bool isElementAndUnit(const std::string& name, const std::string& element) {
    const size_t blank = name.find_first_of(" \t");
    return blank != std::string::npos && normalName(name.substr(0, blank)) == element &&
           gradeUnitOfText(name.substr(blank)) != nullptr;
}

}  // namespace

std::string normalName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        if (c != ' ' && c != '\t') {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

bool namesRole(const std::string& name, Role role) {
    const std::string normal = normalName(name);
    return std::any_of(std::begin(kAliases), std::end(kAliases), [&](const Aliases& a) {
        return a.role == role && std::find(a.names.begin(), a.names.end(), normal) != a.names.end();
    });
}

std::string gradeColumnName(const std::string& element) {
    const std::string name = normalName(element);
    bool taken = isExportedOnly(name);
    for (const Aliases& a : kAliases) {
        taken = taken || std::find(a.names.begin(), a.names.end(), name) != a.names.end();
    }
    return taken ? element + "_GRADE" : element;
}

ColumnRoles::ColumnRoles(const std::vector<std::string>& names, const std::string& element,
                         const std::string& gradeColumn, const std::string& where,
                         const std::vector<std::string>& unread)
    : names_(names) {
    index_.fill(-1);
    const std::string el = normalName(element);
    const std::string chosen = normalName(gradeColumn);
    // Left unread, a column takes no role, and so claims none twice.
    unread_.assign(names.size(), false);
    for (const std::string& u : unread) {
        bool named = false;
        for (size_t c = 0; c < names.size(); ++c) {
            if (normalName(names[c]) == normalName(u)) {
                unread_[c] = named = true;
            }
        }
        if (!named) {
            throw Failure(
                std::string(where).append(": --ignore '").append(u).append("' names no column"));
        }
    }
    for (int c = 0; c < static_cast<int>(names.size()); ++c) {
        const std::string name = normalName(names[c]);
        if (unread_[static_cast<size_t>(c)]) {
            continue;
        }
        // The column named with --grade is the grade, even one called K
        // (potassium) or PASS that would otherwise be taken for something else.
        if (!chosen.empty() && name == chosen) {
            continue;
        }
        for (const Aliases& a : kAliases) {
            if (std::find(a.names.begin(), a.names.end(), name) != a.names.end()) {
                claim(a.role, c, where);
            }
        }
        for (const char* suffix : {"_VAR", "_KV", "_KVAR", "_VARIANCE", "VAR"}) {
            if (!el.empty() && name == el + suffix) {
                claim(Role::Variance, c, where);
            }
        }
    }
    if (!element.empty() || !gradeColumn.empty()) {
        findGrade(element, gradeColumn, where);
    }
    for (int c = 0; c < static_cast<int>(names.size()); ++c) {
        if (std::find(index_.begin(), index_.end(), c) == index_.end()) {
            ignored_.push_back(names[c]);
        }
    }
}

void ColumnRoles::claim(Role role, int column, const std::string& where) {
    const int r = static_cast<int>(role);
    if (index_[r] >= 0 && index_[r] != column) {
        throw Failure(where + ": columns '" + names_[index_[r]] + "' and '" + names_[column] +
                      "' both look like the " + roleName(role) + " column; rename one of them" +
                      // --ignore names a column as the roles compare names.
                      (normalName(names_[index_[r]]) == normalName(names_[column])
                           ? ""
                           : ", or leave one unread with --ignore"));
    }
    index_[r] = column;
}

// The grade column is named after the element, alone or with a unit or
// method after a non-letter (CU, Cu_pct, CU%, CU_OK); CUEQ is another value.
void ColumnRoles::findGrade(const std::string& element, const std::string& gradeColumn,
                            const std::string& where) {
    const std::string el = normalName(element);
    const std::string chosen = normalName(gradeColumn);
    std::vector<int> exact;
    std::vector<int> near;
    for (int c = 0; c < static_cast<int>(names_.size()); ++c) {
        if (std::find(index_.begin(), index_.end(), c) != index_.end() ||
            unread_[static_cast<size_t>(c)]) {
            continue;
        }
        const std::string name = normalName(names_[c]);
        if (!chosen.empty()) {
            if (name == chosen) {
                exact.push_back(c);
            }
        } else if (name == el && !isExportedOnly(name)) {
            exact.push_back(c);
        } else if ((name.size() > el.size() && name.compare(0, el.size(), el) == 0 &&
                    !isLetter(name[el.size()])) ||
                   isElementAndUnit(names_[c], el)) {
            near.push_back(c);
        }
    }
    const std::vector<int>& found = exact.empty() ? near : exact;
    if (found.size() == 1) {
        claim(Role::Grade, found[0], where);
        return;
    }
    std::string list;
    for (const std::string& n : names_) {
        list += (list.empty() ? "" : ", ") + n;
    }
    // A column named after the element that another role took (K, Y).
    for (int role = 0; found.empty() && chosen.empty() && role < kRoleCount; ++role) {
        const int c = index_[role];
        if (c >= 0 && normalName(names_[c]) == el) {
            std::string message = where + ": column '" + names_[c] + "' is read as the ";
            message += roleName(static_cast<Role>(role));
            message += "; if it holds the " + element + " grade, choose it with --grade ";
            throw Failure(message + names_[c]);
        }
    }
    if (found.empty()) {
        throw Failure(where + ": no " +
                      (chosen.empty() ? "grade column for element '" + element + "'"
                                      : "column named '" + gradeColumn + "'") +
                      " among " + list + (chosen.empty() ? "; name it with --grade" : ""));
    }
    if (normalName(names_[found[0]]) == normalName(names_[found[1]])) {
        // --grade chooses by name, and cannot tell these apart.
        throw Failure(where + ": columns " + std::to_string(found[0] + 1) + " and " +
                      std::to_string(found[1] + 1) + " are both named '" + names_[found[1]] +
                      "'; rename one of them");
    }
    throw Failure(where + ": columns '" + names_[found[0]] + "' and '" + names_[found[1]] +
                  "' could both hold the " + element + " grade; choose one with --grade");
}

}  // namespace vornel::cli
