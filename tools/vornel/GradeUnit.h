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

// The unit a grade column's name ends in after a blank, _ or the like
// ("Au g/t", "Au_gpt", "Cu %", "CU_PCT"), if any.
const GradeUnit* gradeUnitInName(const std::string& column);

// What export puts after the element in a grade column's name so that
// import finds the unit again: "" for %, "_gpt", "_ppm".
std::string gradeUnitSuffix(const GradeUnit& unit);

}  // namespace vornel::cli

#endif
