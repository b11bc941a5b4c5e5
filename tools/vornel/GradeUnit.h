// The unit of a run's grades, kept in the catalog's OreAttr_Unit code, and
// what it makes of tonnes times grade.
#ifndef VORNEL_CLI_GRADEUNIT_H
#define VORNEL_CLI_GRADEUNIT_H

#include <string>

namespace vornel::cli {

struct GradeUnit {
    int code;                   // OreAttr_Unit
    const char* name;           // as printed after a grade
    double metalPerGradeTonne;  // metal = tonnes * grade * this
    const char* metalUnit;
};

// By the name a user types: %, pct, percent, g/t, gpt, ppm. Throws Failure.
const GradeUnit& gradeUnitNamed(const std::string& name);

// By the catalog's code; an unknown code reads as percent.
const GradeUnit& gradeUnitOfCode(int code);

// The names gradeUnitNamed accepts, for help texts.
const char* gradeUnitNames();

// The unit that a text, blanks and one pair of brackets aside, names.
const GradeUnit* gradeUnitOfText(const std::string& text);

// The unit a grade column's name ends in after a blank, _ or the like, or
// between brackets ("Au g/t", "Au_gpt", "Cu %", "Au (g/t)"), if any.
const GradeUnit* gradeUnitInName(const std::string& column);

// The grade column's name with what export puts after it so that import
// finds the unit again: "_gpt" for g/t, "_ppm" for ppm, nothing for % but
// "_pct" where the name itself ends in a unit (an element called Au_ppm).
std::string withGradeUnit(const std::string& column, const GradeUnit& unit);

}  // namespace vornel::cli

#endif
