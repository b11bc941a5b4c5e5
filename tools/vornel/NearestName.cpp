#include "NearestName.h"

#include <algorithm>
#include <cctype>

namespace vornel::cli {
namespace {

std::string bare(const std::string& name) {
    std::string s = name.substr(std::min(name.find_first_not_of('-'), name.size()));
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Edits from one to the other: a letter dropped, added or changed, or two
// neighbours swapped (the optimal string alignment distance).
size_t editsBetween(const std::string& a, const std::string& b) {
    const size_t n = b.size();
    std::vector<size_t> before(n + 1);
    std::vector<size_t> last(n + 1);
    std::vector<size_t> row(n + 1);
    for (size_t j = 0; j <= n; ++j) {
        last[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (size_t j = 1; j <= n; ++j) {
            const size_t changed = a[i - 1] == b[j - 1] ? 0 : 1;
            row[j] = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + changed});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                row[j] = std::min(row[j], before[j - 2] + 1);
            }
        }
        before.swap(last);
        last.swap(row);
    }
    return last[n];
}

}  // namespace

std::optional<std::string> nearestName(const std::string& word,
                                       const std::vector<Spellings>& things) {
    const std::string given = bare(word);
    const auto each = [&things](const auto& visit) {
        for (size_t thing = 0; thing < things.size(); ++thing) {
            for (const std::string& name : things[thing]) {
                visit(name, thing);
            }
        }
    };
    // The name itself, in other letters or with other dashes.
    std::optional<std::string> same;
    each([&](const std::string& name, size_t) {
        if (!same && bare(name) == given) {
            same = name;
        }
    });
    if (same) {
        return same;
    }
    // A word of three letters or more that one thing's names begin with is
    // that name with its end left off; one that several things' begin with
    // stands for none of them in particular.
    if (given.size() >= 3) {
        std::optional<std::string> begun;
        size_t begunThing = 0;
        bool several = false;
        each([&](const std::string& name, size_t thing) {
            if (bare(name).compare(0, given.size(), given) == 0) {
                several = several || (begun && begunThing != thing && bare(*begun) != bare(name));
                if (!begun) {
                    begun = name;
                    begunThing = thing;
                }
            }
        });
        if (begun) {
            return several ? std::nullopt : begun;
        }
    }
    const size_t allowed = std::max<size_t>(1, given.size() / 3);
    std::optional<std::string> nearest;
    size_t fewest = allowed + 1;
    each([&](const std::string& name, size_t) {
        const size_t edits = editsBetween(given, bare(name));
        if (edits < fewest) {
            fewest = edits;
            nearest = name;
        }
    });
    return nearest;
}

}  // namespace vornel::cli
