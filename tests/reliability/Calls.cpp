#include "reliability/Calls.h"

#include "reliability/Workload.h"

namespace vornel::test {
namespace {

// A MineID no run has: the calls that take one beside a name delete by it.
constexpr long kNoRun = 99;

}  // namespace

std::vector<Call> callsNaming(const std::string& name, Batch& batch) {
    static KrigBlockVoid voids[2];
    static KrigBlockResult one;
    static double values[4096];
    static D_3DOT corners[4] = {{5, -9, -9}, {5, 9, -9}, {5, 9, 9}, {5, -9, 9}};
    return {
        {"createBlockResultTbl", [n = name](CVornelMng& m) { return m.createBlockResultTbl(n); }},
        {"createBlockVoidTbl", [n = name](CVornelMng& m) { return m.createBlockVoidTbl(n); }},
        {"dropTable", [n = name](CVornelMng& m) { return m.dropTable(n); }},
        {"isExistTbl",
         [n = name](CVornelMng& m) {
             int exists = 7;
             return m.isExistTbl(n, exists);
         }},
        {"getBlockParam(table)",
         [n = name](CVornelMng& m) {
             KrigBlockParam* p = nullptr;
             long c = 0;
             return m.getBlockParam(n, &p, &c);
         }},
        {"deleteBlockParam(table)", [n = name](CVornelMng& m) { return m.deleteBlockParam(n); }},
        {"modifyKrigParamOreClasByID",
         [n = name](CVornelMng& m) { return m.modifyKrigParamOreClasByID(n, 4); }},
        {"modifyKrigParamAttrUnitByID",
         [n = name](CVornelMng& m) { return m.modifyKrigParamAttrUnitByID(n, 4); }},
        {"deleteBlockVrgParam(table)",
         [n = name](CVornelMng& m) { return m.deleteBlockVrgParam(n); }},
        {"getBlockElementByVoid",
         [n = name](CVornelMng& m) {
             std::vector<_STRU_MINE_NAMEINFO> names;
             return m.getBlockElementByVoid(n, names);
         }},
        {"getTblNameByElementAndVoidTbl",
         [n = name](CVornelMng& m) {
             std::vector<_STRU_MINE_NAMEINFO> names;
             return m.getTblNameByElementAndVoidTbl(n, n, names);
         }},
        {"getBlockElementAndVoidTblByTblName",
         [n = name](CVornelMng& m) {
             std::vector<_STRU_MINE_NAMEINFO> names;
             return m.getBlockElementAndVoidTblByTblName(n, names);
         }},
        {"getNextBlockID(table)",
         [n = name](CVornelMng& m) {
             long id = 0;
             return m.getNextBlockID(n, kNoRun, id);
         }},
        {"deleteBlock(table)", [n = name](CVornelMng& m) { return m.deleteBlock(n); }},
        {"deleteBlock(table, MineID)",
         [n = name](CVornelMng& m) { return m.deleteBlock(n, kNoRun); }},
        {"deleteBlockByID", [n = name](CVornelMng& m) { return m.deleteBlockByID(n, kNoRun); }},
        {"deleteBlockNotTbl", [n = name](CVornelMng& m) { return m.deleteBlockNotTbl(n); }},
        {"insertIntoBlockResult",
         [n = name, &batch](CVornelMng& m) {
             return m.insertIntoBlockResult(n, batch.blocks(), batch.count());
         }},
        {"getBlockResult(all)",
         [n = name](CVornelMng& m) {
             KrigBlockResult* b = nullptr;
             long c = 0;
             return m.getBlockResult(n, &b, &c);
         }},
        {"getBlockResult(one)", [n = name](CVornelMng& m) { return m.getBlockResult(n, 1, &one); }},
        {"insertIntoBlockVoid",
         [n = name](CVornelMng& m) { return m.insertIntoBlockVoid(n, voids, 2); }},
        {"getBlockVoid(all)",
         [n = name](CVornelMng& m) {
             KrigBlockVoid* v = nullptr;
             long c = 0;
             return m.getBlockVoid(n, &v, &c);
         }},
        {"getBlockVoid(one)",
         [n = name](CVornelMng& m) {
             KrigBlockVoid v;
             return m.getBlockVoid(n, 1, &v);
         }},
        {"getBlockResultByWhereSQL",
         [n = name](CVornelMng& m) {
             KrigBlockResult* b = nullptr;
             long c = 0;
             return m.getBlockResultByWhereSQL(n, "1=1", &b, &c);
         }},
        {"getBlockResultAttr",
         [n = name](CVornelMng& m) {
             long c = 0;
             return m.getBlockResultAttr(n, values, &c);
         }},
        {"getStatResult",
         [n = name](CVornelMng& m) {
             double v[4];
             return m.getStatResult(n, v[0], v[1], v[2], v[3]);
         }},
        {"getStatResultPos",
         [n = name](CVornelMng& m) {
             D_3DOT hi{}, lo{};
             return m.getStatResultPos(n, hi, lo);
         }},
        {"modifyResultAttByID",
         [n = name](CVornelMng& m) { return m.modifyResultAttByID(n, 1, 1.0, 2.0, 3.0); }},
        {"modifyResultAtts",
         [n = name, &batch](CVornelMng& m) {
             return m.modifyResultAtts(n, batch.blocks(), batch.count());
         }},
        {"modifyResType",
         [n = name, &batch](CVornelMng& m) {
             return m.modifyResType(n, batch.blocks(), batch.count());
         }},
        {"modifyResTypeByID(table)",
         [n = name](CVornelMng& m) { return m.modifyResTypeByID(n, 1, "x"); }},
        {"modifyResTypeByID(type)",
         [n = name](CVornelMng& m) { return m.modifyResTypeByID(kBlockTable, 1, n); }},
        {"getCutBlockResult",
         [n = name](CVornelMng& m) {
             KrigBlockResult* b = nullptr;
             long c = 0;
             return m.getCutBlockResult(n, corners, &b, &c);
         }},
    };
}

std::vector<Call> callsNumbering(long id) {
    return {
        {"getBlockParam(MineID)",
         [id](CVornelMng& m) {
             KrigBlockParam* p = nullptr;
             long c = 0;
             return m.getBlockParam(id, &p, &c);
         }},
        {"deleteBlockParam(MineID)", [id](CVornelMng& m) { return m.deleteBlockParam(id); }},
        {"getBlockVrgParam",
         [id](CVornelMng& m) {
             KrigBlockVrgParam* v = nullptr;
             long c = 0;
             return m.getBlockVrgParam(id, &v, &c);
         }},
        {"deleteBlockVrgParam(MineID)", [id](CVornelMng& m) { return m.deleteBlockVrgParam(id); }},
        {"getNextBlockID",
         [id](CVornelMng& m) {
             long next = 0;
             return m.getNextBlockID(id, next);
         }},
        {"getNextBlockID(table)",
         [id](CVornelMng& m) {
             long next = 0;
             return m.getNextBlockID(kBlockTable, id, next);
         }},
        {"deleteBlock(absent table, MineID)",
         [id](CVornelMng& m) { return m.deleteBlock("T2", id); }},
        {"deleteBlockByID", [id](CVornelMng& m) { return m.deleteBlockByID(kBlockTable, id); }},
        {"getBlockResult(one)",
         [id](CVornelMng& m) {
             KrigBlockResult b;
             return m.getBlockResult(kBlockTable, id, &b);
         }},
        {"getBlockVoid(one)",
         [id](CVornelMng& m) {
             KrigBlockVoid v;
             return m.getBlockVoid(kVoidTable, id, &v);
         }},
        {"modifyResultAttByID",
         [id](CVornelMng& m) { return m.modifyResultAttByID(kBlockTable, id, 1.0, 2.0, 3.0); }},
        {"modifyResTypeByID",
         [id](CVornelMng& m) { return m.modifyResTypeByID(kBlockTable, id, "x"); }},
        {"modifyKrigParamOreClasByID",
         [id](CVornelMng& m) { return m.modifyKrigParamOreClasByID("T9", id); }},
    };
}

}  // namespace vornel::test
