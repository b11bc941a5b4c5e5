// vornel classify: sets the resource category of a run's blocks by rules
// over their stored columns, the first rule a block meets deciding.
#include <strings.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

#include "BlockClasses.h"
#include "ClassRule.h"
#include "Commands.h"
#include "Failure.h"
#include "ModelDatabase.h"
#include "OptionChecks.h"
#include "ProgressBar.h"
#include "RecordFields.h"
#include "Stopwatch.h"
#include "TextRows.h"
#include "TextTable.h"
#include "WaitIndicator.h"

namespace vornel::cli {
namespace {

struct ClassifyOptions {
    std::string db;
    std::string table;
    std::string where;
    std::vector<std::string> rules;
    std::optional<std::string> others;
    bool check = false;
};

const char* const kFooter = R"(
Each --rule is "CLASS: CONDITION", an SQL condition on the table's columns:
Srch_Degr for the search pass, Krig_PntNum for the number of samples,
Krig_MeanDis for their mean distance, Krig_OutVari for the kriging variance,
Krig_OutAttr for the grade. A block takes the class of the first rule it
meets; --others gives the class of the blocks that meet none (an empty name
clears theirs, to an empty text that "Krig_ResType = ''" finds), which
otherwise keep their own. A column that another program left empty (NULL)
meets no comparison, though export writes it as 0 (the grade as an empty
cell): such blocks go to --others unless a rule asks for them with
"COLUMN IS NULL". --where limits the work to some blocks, and picks one run
of a table that holds several whose runs number their blocks apart: a
category is written by block number.

Everything is written in one transaction: stopped or failed, the command
changes nothing. --check tells what would change and writes nothing.

Example:
  vornel classify demo.db --table CU_DEMO \
      --rule "Measured: Srch_Degr = 1 AND Krig_PntNum >= 12" \
      --rule "Indicated: Srch_Degr <= 2" --others Inferred
)";

constexpr size_t kNoRule = static_cast<size_t>(-1);

// A block to classify: its number, its class before and after, and the
// rule that gave the new one (rules.size() for --others).
struct Target {
    int32_t blockId;
    std::string before;
    std::string after;
    size_t rule = kNoRule;
    // The stored class is longer than `before`, its first bytes, and so
    // unlike any class a rule gives.
    bool cut = false;

    bool reclassed() const { return cut && rule != kNoRule; }
    // A name alike but for case is the class the block has: no change of
    // class, though the rule's spelling is written.
    bool changes() const { return reclassed() || strcasecmp(before.c_str(), after.c_str()) != 0; }
    bool written() const { return reclassed() || after != before; }
};

struct Targets {
    std::vector<Target> blocks;
    std::unordered_map<int32_t, size_t> byId;
};

Targets readTargets(CVornelMng& mng, const std::string& table, const std::string& where) {
    KrigBlockResult* blocks = nullptr;
    const long count = readBlocks(mng, table, where, &blocks);
    if (count == 0) {
        throw Failure(where.empty() ? table + " holds no block"
                                    : "no block of " + table + " meets --where \"" + where + "\"");
    }
    Targets t;
    for (long i = 0; i < count; ++i) {
        const std::string before = classText(blocks[i], ClassField::Category);
        t.byId.emplace(blocks[i].Krig_BlockID, t.blocks.size());
        t.blocks.push_back({blocks[i].Krig_BlockID, before, before});
    }
    // Each condition is read alone, as the user wrote it: joined, one's
    // trailing ';' or unclosed bracket would change the other's meaning.
    // A block of another run that shares a target's number is refused
    // later (refuseSharedNumbers).
    const long cut = readMatching(mng, table, cutByReadCondition("Krig_ResType"),
                                  "the categories of " + table, &blocks);
    for (long i = 0; i < cut; ++i) {
        const auto at = t.byId.find(blocks[i].Krig_BlockID);
        if (at != t.byId.end()) {
            t.blocks[at->second].cut = true;
        }
    }
    return t;
}

// The library writes a category by block number alone, so a number that
// two rows share would carry one class to both.
void refuseSharedNumbers(CVornelMng& mng, const std::string& table, const Targets& t) {
    KrigBlockResult* shared = nullptr;
    const long count = readMatching(mng, table,
                                    "Krig_BlockID IN (SELECT Krig_BlockID FROM [" + table +
                                        "] GROUP BY Krig_BlockID HAVING COUNT(*) > 1)",
                                    "the block numbers of " + table, &shared);
    for (long i = 0; i < count; ++i) {
        if (t.byId.count(shared[i].Krig_BlockID) != 0) {
            throw Failure(table + ": block number " + std::to_string(shared[i].Krig_BlockID) +
                          " stands on more than one row, and a category is written by number: "
                          "classify cannot set one row's alone, nor one run's of runs that "
                          "number their blocks alike");
        }
    }
}

void applyRule(CVornelMng& mng, const std::string& table, const ClassRule& rule, size_t index,
               const std::string& given, Targets& t) {
    KrigBlockResult* matched = nullptr;
    const long count =
        readMatching(mng, table, rule.condition, "--rule \"" + given + "\"", &matched);
    for (long i = 0; i < count; ++i) {
        const auto at = t.byId.find(matched[i].Krig_BlockID);
        // Another run's rows carry other numbers (refuseSharedNumbers).
        if (at != t.byId.end() && t.blocks[at->second].rule == kNoRule) {
            t.blocks[at->second].after = rule.name;
            t.blocks[at->second].rule = index;
        }
    }
}

// The library goes on past a row the database refuses (a trigger, a
// constraint), so each class is read back before the transaction ends.
// Numbers are the table's own by now: a row of a target's number is the
// target's. Returns the categories the whole table holds, those of blocks
// --where left alone included.
std::set<std::string, ClassNameLess> confirmWritten(CVornelMng& mng, const std::string& table,
                                                    const Targets& t) {
    KrigBlockResult* blocks = nullptr;
    const long count = readWholeTable(mng, table, &blocks);
    std::set<std::string, ClassNameLess> categories;
    for (long i = 0; i < count; ++i) {
        const std::string category = classText(blocks[i], ClassField::Category);
        if (!category.empty()) {
            categories.insert(category);
        }
        const auto at = t.byId.find(blocks[i].Krig_BlockID);
        if (at != t.byId.end() && category != t.blocks[at->second].after) {
            throw Failure(table + ": the database did not take the category of block " +
                          std::to_string(blocks[i].Krig_BlockID) +
                          " (another command changed it meanwhile, or a trigger or constraint "
                          "of another program refused it); nothing is changed: classify again");
        }
    }
    return categories;
}

// Writes the new classes of the blocks whose class changes, and the run's
// number of categories when the table is the run's alone.
void writeClasses(CVornelMng& mng, const std::string& db, const std::string& table,
                  const Targets& t) {
    std::vector<KrigBlockResult> changed;
    for (const Target& b : t.blocks) {
        if (b.written()) {
            KrigBlockResult& r = changed.emplace_back();
            r.Krig_BlockID = b.blockId;
            copyText(r.Krig_ResType, b.after);
        }
    }
    if (changed.empty()) {
        return;
    }
    HostTransaction transaction(mng, db);
    {
        const LibraryProgressLabel label("writing the categories of " + table);
        check(mng, mng.modifyResType(table, changed.data(), static_cast<long>(changed.size())),
              "cannot write the categories of " + table);
    }
    const std::set<std::string, ClassNameLess> categories = confirmWritten(mng, table, t);
    KrigBlockParam* runs = nullptr;
    long count = 0;
    if (mng.getBlockParam(table, &runs, &count) != 0 && count == 1) {
        check(mng, mng.modifyKrigParamOreClasByID(table, static_cast<long>(categories.size())),
              "cannot record the number of categories of " + table);
    }
    transaction.commit("storing the classes of " + table + " in " + db);
}

void printClasses(const ClassifyOptions& o, const std::vector<ClassRule>& rules,
                  const std::string& table, const Targets& t, const Stopwatch& clock) {
    std::vector<long> taken(rules.size() + 2, 0);
    std::vector<long> changed(rules.size() + 2, 0);
    for (const Target& b : t.blocks) {
        const size_t row = b.rule == kNoRule ? rules.size() + 1 : b.rule;
        ++taken[row];
        changed[row] += b.changes() ? 1 : 0;
    }
    std::cout << (o.check ? "Would classify " : "Classified ") << t.blocks.size()
              << (t.blocks.size() == 1 ? " block of " : " blocks of ") << table << " in " << o.db
              << ":\n";
    TextTable rows;
    rows.alignLeft(3);
    rows.add({"class", "blocks", "changed", "rule"});
    for (size_t r = 0; r < rules.size(); ++r) {
        rows.add({rules[r].name, std::to_string(taken[r]), std::to_string(changed[r]),
                  rules[r].condition});
    }
    if (o.others) {
        rows.add({o.others->empty() ? "(none)" : *o.others, std::to_string(taken[rules.size()]),
                  std::to_string(changed[rules.size()]), "--others: no rule met"});
    } else if (taken.back() > 0) {
        rows.add({"(kept)", std::to_string(taken.back()), "0", "no rule met"});
    }
    rows.print(std::cout);
    std::cout << (o.check ? "Nothing written (--check)" : "  took " + clock.text()) << '\n';
}

void runClassify(ClassifyOptions o) {
    Stopwatch clock;
    if (o.others) {
        o.others = trimmed(*o.others);  // as a rule's name is
    }
    std::vector<ClassRule> rules(o.rules.size());
    std::transform(o.rules.begin(), o.rules.end(), rules.begin(), parseClassRule);
    if (o.others) {
        checkClassName(*o.others, "--others", true);
    }
    CVornelMng mng;
    openModel(mng, o.db);
    const std::string table = resultTable(mng, o.db, o.table);
    Targets targets;
    {
        const WaitIndicator wait("reading " + table + " by the rules");
        targets = readTargets(mng, table, o.where);
        refuseSharedNumbers(mng, table, targets);
        for (size_t r = 0; r < rules.size(); ++r) {
            applyRule(mng, table, rules[r], r, o.rules[r], targets);
        }
    }
    for (Target& b : targets.blocks) {
        if (b.rule == kNoRule && o.others) {
            b.after = *o.others;
            b.rule = rules.size();
        }
    }
    if (!o.check) {
        writeClasses(mng, o.db, table, targets);
    }
    printClasses(o, rules, table, targets, clock);
}

}  // namespace

void addClassifyCommand(CLI::App& app) {
    auto o = std::make_shared<ClassifyOptions>();
    CLI::App* cmd = app.add_subcommand(
        "classify", "Set the resource category of a run's blocks by rules on their columns");
    addDatabaseOption(cmd, o->db);
    addTableOption(cmd, o->table);
    cmd->add_option("--rule", o->rules, "\"CLASS: CONDITION\", in order; the first one met decides")
        ->required()
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cmd->add_option("--others", o->others, "Class of the blocks no rule takes");
    cmd->add_option("--where", o->where, "SQL condition selecting the blocks to classify");
    cmd->add_flag("--check", o->check, "Tell what would change, and write nothing");
    cmd->footer(kFooter);
    cmd->callback([o] { runClassify(*o); });
}

}  // namespace vornel::cli
