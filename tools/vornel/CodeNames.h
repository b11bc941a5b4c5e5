// The names behind the numbers of a text column (category, ore type) in a
// GSLIB file that export wrote, read from the key in its title: "A (Cu);
// CATEGORY 1 Measured, 2 Indicated, 0 (none); ORETYPE 1 Oxide". Such a file
// then reads back with its texts.
#ifndef VORNEL_CLI_CODENAMES_H
#define VORNEL_CLI_CODENAMES_H

#include <map>
#include <string>

namespace vornel::cli {

class CodeNames {
public:
    // A title without a key for `column`, or with one that does not read as
    // export writes it (1, 2, ... in turn, then 0 "(none)"), names nothing.
    CodeNames(const std::string& title, const std::string& column);

    // The name of the number `text`, "" for 0; any other text as it is.
    std::string nameOf(const std::string& text) const;

private:
    std::map<std::string, std::string> names_;
};

}  // namespace vornel::cli

#endif
