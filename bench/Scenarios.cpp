#include "Scenarios.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "Baseline.h"
#include "Memory.h"
#include "vornel/Hooks.h"
#include "vornel/VornelMng.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 == 1 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void require(long status, const CVornelMng& mng, const char* what) {
    if (status == 0) {
        throw std::runtime_error(std::string(what) + ": " + mng.lastError());
    }
}

struct Pair {
    std::function<void()> setup;  // untimed, before every run of either side
    std::function<void()> ours;
    std::function<void()> baseline;
};

// Runs both sides `repeats` times, alternating which goes first.
Result timePair(const char* name, const char* against, double target, int repeats,
                const Pair& pair) {
    std::vector<double> ours, base, ratios;
    for (int r = 0; r < repeats; ++r) {
        double o = 0.0, b = 0.0;
        for (int side = 0; side < 2; ++side) {
            pair.setup();
            if ((side == 0) == (r % 2 == 0)) {
                o = seconds(pair.ours);
            } else {
                b = seconds(pair.baseline);
            }
        }
        ours.push_back(o);
        base.push_back(b);
        ratios.push_back(o / b);
    }
    std::fprintf(stderr, "  %-28s %.3f s against %.3f s\n", name, median(ours), median(base));
    return {name, median(ours), median(base), median(ratios), target, against};
}

std::vector<KrigBlockParam> makeRuns(int n) {
    std::vector<KrigBlockParam> runs(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        KrigBlockParam& p = runs[static_cast<size_t>(i)];
        std::snprintf(p.Krig_Result_Name, sizeof p.Krig_Result_Name, "Run %d, ordinary kriging", i);
        std::snprintf(p.Mine_Element, sizeof p.Mine_Element, "%s", i % 2 == 0 ? "Cu" : "Au");
        std::snprintf(p.Table_Name, sizeof p.Table_Name, "R%d", i % 50);
        std::snprintf(p.VoidTable_Name, sizeof p.VoidTable_Name, "%s", "VOIDS");
        p.Grid_StartX = 500000.0 + i;
        p.Grid_SizeX = p.Grid_SizeY = p.Grid_SizeZ = 10.0;
        p.Grid_NumX = p.Grid_NumY = p.Grid_NumZ = 100;
        p.Srch_RangX = 150.0;
        p.Srch_MaxPnt = 24;
        p.Vrg_Nug = 0.1;
        p.Vrg_Sill = 1.0;
        p.Vrg_Num = 2;
    }
    return runs;
}

}  // namespace

std::vector<Result> runScenarios(const Model& model, const Settings& settings) {
    const std::string path = settings.directory + "/bench.db";
    std::remove(path.c_str());
    vornel::setProgressSink({nullptr, [](long) {}, nullptr});  // no bar in the timings
    CVornelMng mng;
    require(mng.createDatabase(path), mng, "create");
    require(mng.initDataBase(), mng, "init");
    RawDb raw(path);
    const long n = static_cast<long>(model.blocks.size());
    auto* blocks = const_cast<KrigBlockResult*>(model.blocks.data());
    std::vector<Result> results;
    const int repeats = settings.repeats;

    results.push_back(
        timePair("insert blocks", "prepared INSERT loop", 1.3, repeats,
                 {[&] { require(mng.createBlockResultTbl("INS"), mng, "create table"); },
                  [&] { require(mng.insertIntoBlockResult("INS", blocks, n), mng, "insert"); },
                  [&] { rawInsert(raw, "INS", model.blocks); }}));

    require(mng.createBlockResultTbl("T"), mng, "create table");
    require(mng.insertIntoBlockResult("T", blocks, n), mng, "insert");
    std::vector<KrigBlockResult> read;
    KrigBlockResult* answer = nullptr;
    long count = 0;
    results.push_back(
        timePair("whole-table read", "raw read into records", 1.5, repeats,
                 {[] {}, [&] { require(mng.getBlockResult("T", &answer, &count), mng, "read"); },
                  [&] {
                      rawRead(raw, "SELECT * FROM [T] ORDER BY Krig_BlockID ASC", read);
                      releaseRead(read);
                  }}));

    // A condition that most rows meet is counted part of the way in; one
    // that few meet is not.
    for (const auto& scenario : {std::pair{"filtered read (90%)", "Krig_BlockID % 10 <> 0"},
                                 std::pair{"filtered read (10%)", "Krig_BlockID % 10 = 0"}}) {
        const char* const name = scenario.first;
        const std::string condition = scenario.second;
        const std::string rawSql = "SELECT * FROM [T] WHERE " + condition;
        results.push_back(
            timePair(name, "raw read, same condition", 1.5, repeats,
                     {[] {},
                      [&] {
                          require(mng.getBlockResultByWhereSQL("T", condition, &answer, &count),
                                  mng, "filter");
                      },
                      [&] {
                          rawRead(raw, rawSql, read);
                          releaseRead(read);
                      }}));
    }

    const double x0 = model.origin.x, y0 = model.origin.y, z0 = model.origin.z;
    const double wx = model.nx * model.size, wy = model.ny * model.size, wz = model.nz * model.size;
    // Inside the middle column and layer of blocks, whatever their number.
    const double midX = x0 + (std::floor(model.nx / 2.0) + 0.3) * model.size;
    const double midZ = z0 + (std::floor(model.nz / 2.0) + 0.5) * model.size;
    const std::pair<const char*, std::array<D_3DOT, 4>> sections[] = {
        {"section cut, vertical",
         {{{midX, y0 - 1, z0 - 1},
           {midX, y0 + wy + 1, z0 - 1},
           {midX, y0 + wy + 1, z0 + wz + 1},
           {midX, y0 - 1, z0 + wz + 1}}}},
        {"section cut, horizontal",
         {{{x0 - 1, y0 - 1, midZ},
           {x0 + wx + 1, y0 - 1, midZ},
           {x0 + wx + 1, y0 + wy + 1, midZ},
           {x0 - 1, y0 + wy + 1, midZ}}}},
        {"section cut, oblique",
         {{{x0 - 1, y0 - 1, z0 - 1},
           {x0 + wx + 1, y0 + wy / 3, z0 - 1},
           {x0 + wx + 1, y0 + wy + 1, z0 + wz + 1},
           {x0 - 1, y0 + wy * 2 / 3, z0 + wz + 1}}}},
    };
    for (const auto& [name, corners] : sections) {
        auto section = corners;
        results.push_back(timePair(
            name, "our whole-table read", 1.5, repeats,
            {[] {},
             [&] {
                 require(mng.getCutBlockResult("T", section.data(), &answer, &count), mng, "cut");
             },
             [&] { require(mng.getBlockResult("T", &answer, &count), mng, "read"); }}));
    }

    const long updates = std::min(n, 100000L);
    results.push_back(timePair(
        "bulk update", "prepared UPDATE loop", 2.0, repeats,
        {[] {}, [&] { require(mng.modifyResultAtts("T", blocks, updates), mng, "update"); },
         [&] { rawUpdate(raw, "T", blocks, updates); }}));

    const std::vector<KrigBlockParam> runs = makeRuns(1000);
    std::vector<long> ids;
    results.push_back(timePair(
        "insert 1,000 runs", "prepared INSERT loop", 0.0, repeats,
        {[&] { raw.exec("DELETE FROM KrigBlock_Param"); },
         [&] {
             require(mng.insertIntoBlockParam(const_cast<KrigBlockParam*>(runs.data()), 1000, ids),
                     mng, "insert runs");
         },
         [&] { rawInsertParams(raw, runs, 1); }}));

    std::vector<KrigBlockParam> params;
    results.push_back(timePair("read 1,000 runs by MineID", "prepared SELECT loop", 0.0, repeats,
                               {[] {},
                                [&] {
                                    KrigBlockParam* rows = nullptr;
                                    long found = 0;
                                    for (long id = 1; id <= 1000; ++id) {
                                        require(mng.getBlockParam(id, &rows, &found), mng,
                                                "read run");
                                    }
                                },
                                [&] { rawReadParams(raw, 1, 1000, params); }}));

    const double answerSize = static_cast<double>(answerBytes(model));
    const double allowance = 1.5 * answerSize + 32.0 * 1024 * 1024;
    const double added = static_cast<double>(peakBytesOfRead(path, "T"));
    results.push_back({"memory of a whole-table read", added, answerSize, added / answerSize,
                       allowance / answerSize, "bytes of the answer"});
    // A condition that every row meets: the rows are counted part of the way
    // in, so its memory is the whole-table read's.
    const double filtered = static_cast<double>(peakBytesOfRead(path, "T", "Krig_BlockID > 0"));
    results.push_back({"memory of a filtered read", filtered, answerSize, filtered / answerSize,
                       allowance / answerSize, "bytes of the answer"});
    return results;
}

}  // namespace bench
