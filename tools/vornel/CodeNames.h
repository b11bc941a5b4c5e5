// The names behind the numbers of a text column (category, ore type) in a
// GSLIB file that export wrote, read from the key in its title: "A (Cu);
// CATEGORY 1 Measured, 2 Indicated, 0 (none); ORETYPE 1 Oxide", a name
// that holds ", " or "; " in double quotes. Such a file then reads back with
// its texts.
#ifndef VORNEL_CLI_CODENAMES_H
#define VORNEL_CLI_CODENAMES_H

#include <map>
#include <set>
#include <string>

#include "BlockList.h"

namespace vornel::cli {

class CodeNames {
public:
    // A title without a key for `column`, or with one that does not read as
    // export writes it (1, 2, ... in turn, then 0 "(none)", among other
    // keys only), names nothing.
    CodeNames(const std::string& title, const std::string& column);

    // Whether the key names the numbers `used` and no others, as export
    // writes a key: one entry for each number it wrote.
    bool namesExactly(const std::set<std::string>& used) const;

    // The name of the number `text`, "" for 0; any other text as it is.
    std::string nameOf(const std::string& text) const;

private:
    std::map<std::string, std::string> names_;
};

// The category and ore type numbers that the rows of a file hold, the rows
// left out of the blocks too, since export keys every number it writes.
struct CodesMet {
    std::set<std::string> categories;
    std::set<std::string> oreTypes;
};

// Gives the blocks' categories and ore types, the numbers of a GSLIB file
// with the title `title`, the names its keys give them; where a key does
// not name exactly the numbers the file's rows hold, they stay numbers,
// since a wrong name would be worse.
void nameCodes(const std::string& title, const CodesMet& met, BlockList& blocks);

}  // namespace vornel::cli

#endif
