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
                                       const std::vector<std::string>& names) {
    const std::string given = bare(word);
    // The name itself, in other letters or with other dashes.
    const auto same = std::find_if(names.begin(), names.end(), [&given](const std::string& name) {
        return bare(name) == given;
    });
    if (same != names.end()) {
        return *same;
    }
    // A word of three letters or more that one name begins with is that
    // name with its end left off; one that several begin with stands for
    // none of them in particular.
    if (given.size() >= 3) {
        std::optional<std::string> begun;
        bool several = false;
        for (const std::string& name : names) {
            if (bare(name).compare(0, given.size(), given) == 0) {
                several = several || (begun && bare(*begun) != bare(name));
                begun = name;
            }
        }
        if (begun) {
            return several ? std::nullopt : begun;
        }
    }
    const size_t allowed = std::max<size_t>(1, given.size() / 3);
    std::optional<std::string> nearest;
    size_t fewest = allowed + 1;
    for (const std::string& name : names) {
        const size_t edits = editsBetween(given, bare(name));
        if (edits < fewest) {
            fewest = edits;
            nearest = name;
        }
    }
    return nearest;
}

}  // namespace vornel::cli
