// Which column of a block model file holds what, found by the column's name
// among the names that block model files commonly use.
#ifndef VORNEL_CLI_COLUMNROLES_H
#define VORNEL_CLI_COLUMNROLES_H

#include <array>
#include <string>
#include <vector>

namespace vornel::cli {

enum class Role {
    X,
    Y,
    Z,  // block centre, or grid index (see the import help)
    SizeX,
    SizeY,
    SizeZ,  // edge lengths
    I,
    J,
    K,       // grid indices
    Ijk,     // one combined grid index: identifies the parent
    Parent,  // parent block identifier
    ParentX,
    ParentY,
    ParentZ,  // parent block centre
    ParentSizeX,
    ParentSizeY,
    ParentSizeZ,
    Grade,
    Variance,
    Category,
    OreType,
    Tonnage,
    Density,
    Samples,
    MeanDistance,
    SearchPass,
    Coefficient,
    Bound,          // 1 for a block on the model's boundary
    SubBlockCount,  // how many sub-blocks the block has, as export writes
};
constexpr int kRoleCount = static_cast<int>(Role::SubBlockCount) + 1;

// Column indices by role (-1 where no column has the role).
class ColumnRoles {
public:
    // Assigns roles to the columns named `names` (as in a header). The grade
    // column is `gradeColumn` when given, otherwise the column named after
    // `element` (CU, Cu_pct, CU%, ...); with neither, no column is (void
    // blocks have no grade). The columns named in `unread` take no role.
    // Throws Failure, prefixed by `where`, when a required column is missing,
    // a role is claimed twice or an unread name is no column's.
    ColumnRoles(const std::vector<std::string>& names, const std::string& element,
                const std::string& gradeColumn, const std::string& where,
                const std::vector<std::string>& unread = {});

    int operator[](Role role) const { return index_[static_cast<int>(role)]; }
    bool has(Role role) const { return (*this)[role] >= 0; }
    bool hasAll(Role a, Role b, Role c) const { return has(a) && has(b) && has(c); }
    // The names of the columns that no role took.
    const std::vector<std::string>& ignored() const { return ignored_; }
    const std::vector<std::string>& names() const { return names_; }

private:
    void claim(Role role, int column, const std::string& where);
    void findGrade(const std::string& element, const std::string& gradeColumn,
                   const std::string& where);

    std::vector<std::string> names_;
    std::array<int, kRoleCount> index_;
    std::vector<std::string> ignored_;
    std::vector<bool> unread_;  // of column c: named with --ignore
};

// Whether a column of that name takes the role, as block model files name
// their columns.
bool namesRole(const std::string& name, Role role);

// Upper case without blanks: how names are compared.
std::string normalName(const std::string& name);

// The name for a grade column of the element that no other role takes: the
// element's own name, or it with "_GRADE" after it for an element such as
// Y or K whose name is a position's or an index's, or another column's
// that export writes (VOLUME).
std::string gradeColumnName(const std::string& element);

}  // namespace vornel::cli

#endif
