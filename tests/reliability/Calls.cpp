#include "reliability/Calls.h"

#include "reliability/ModelFile.h"

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
    const std::string n = name;
    return {
        {"createBlockResultTbl", [n](CVornelMng& m) { return m.createBlockResultTbl(n); }},
        {"createBlockVoidTbl", [n](CVornelMng& m) { return m.createBlockVoidTbl(n); }},
        {"dropTable", [n](CVornelMng& m) { return m.dropTable(n); }},
        {"isExistTbl",
         [n](CVornelMng& m) {
             int exists = 7;
             return m.isExistTbl(n, exists);
         }},
        {"getBlockParam(table)",
         [n](CVornelMng& m) {
             KrigBlockParam* p = nullptr;
             long c = 0;
             return m.getBlockParam(n, &p, &c);
         }},
        {"deleteBlockParam(table)", [n](CVornelMng& m) { return m.deleteBlockParam(n); }},
        {"modifyKrigParamOreClasByID",
         [n](CVornelMng& m) { return m.modifyKrigParamOreClasByID(n, 4); }},
        {"modifyKrigParamAttrUnitByID",
         [n](CVornelMng& m) { return m.modifyKrigParamAttrUnitByID(n, 4); }},
        {"deleteBlockVrgParam(table)", [n](CVornelMng& m) { return m.deleteBlockVrgParam(n); }},
        {"getBlockElementByVoid",
         [n](CVornelMng& m) {
             std::vector<_STRU_MINE_NAMEINFO> names;
             return m.getBlockElementByVoid(n, names);
         }},
        {"getTblNameByElementAndVoidTbl",
         [n](CVornelMng& m) {
             std::vector<_STRU_MINE_NAMEINFO> names;
             return m.getTblNameByElementAndVoidTbl(n, n, names);
         }},
        {"getBlockElementAndVoidTblByTblName",
         [n](CVornelMng& m) {
             std::vector<_STRU_MINE_NAMEINFO> names;
             return m.getBlockElementAndVoidTblByTblName(n, names);
         }},
        {"getNextBlockID(table)",
         [n](CVornelMng& m) {
             long id = 0;
             return m.getNextBlockID(n, kNoRun, id);
         }},
        {"deleteBlock(table)", [n](CVornelMng& m) { return m.deleteBlock(n); }},
        {"deleteBlock(table, MineID)", [n](CVornelMng& m) { return m.deleteBlock(n, kNoRun); }},
        {"deleteBlockByID", [n](CVornelMng& m) { return m.deleteBlockByID(n, kNoRun); }},
        {"deleteBlockNotTbl", [n](CVornelMng& m) { return m.deleteBlockNotTbl(n); }},
        {"insertIntoBlockResult",
         [n, &batch](CVornelMng& m) {
             return m.insertIntoBlockResult(n, batch.blocks(), batch.count());
         }},
        {"getBlockResult(all)",
         [n](CVornelMng& m) {
             KrigBlockResult* b = nullptr;
             long c = 0;
             return m.getBlockResult(n, &b, &c);
         }},
        {"getBlockResult(one)", [n](CVornelMng& m) { return m.getBlockResult(n, 1, &one); }},
        {"insertIntoBlockVoid", [n](CVornelMng& m) { return m.insertIntoBlockVoid(n, voids, 2); }},
        {"getBlockVoid(all)",
         [n](CVornelMng& m) {
             KrigBlockVoid* v = nullptr;
             long c = 0;
             return m.getBlockVoid(n, &v, &c);
         }},
        {"getBlockVoid(one)",
         [n](CVornelMng& m) {
             KrigBlockVoid v;
             return m.getBlockVoid(n, 1, &v);
         }},
        {"getBlockResultByWhereSQL",
         [n](CVornelMng& m) {
             KrigBlockResult* b = nullptr;
             long c = 0;
             return m.getBlockResultByWhereSQL(n, "1=1", &b, &c);
         }},
        {"getBlockResultAttr",
         [n](CVornelMng& m) {
             long c = 0;
             return m.getBlockResultAttr(n, values, &c);
         }},
        {"getStatResult",
         [n](CVornelMng& m) {
             double v[4];
             return m.getStatResult(n, v[0], v[1], v[2], v[3]);
         }},
        {"getStatResultPos",
         [n](CVornelMng& m) {
             D_3DOT hi{}, lo{};
             return m.getStatResultPos(n, hi, lo);
         }},
        {"modifyResultAttByID",
         [n](CVornelMng& m) { return m.modifyResultAttByID(n, 1, 1.0, 2.0, 3.0); }},
        {"modifyResultAtts",
         [n, &batch](CVornelMng& m) {
             return m.modifyResultAtts(n, batch.blocks(), batch.count());
         }},
        {"modifyResType",
         [n, &batch](CVornelMng& m) { return m.modifyResType(n, batch.blocks(), batch.count()); }},
        {"modifyResTypeByID(table)", [n](CVornelMng& m) { return m.modifyResTypeByID(n, 1, "x"); }},
        {"modifyResTypeByID(type)",
         [n](CVornelMng& m) { return m.modifyResTypeByID(kBlockTable, 1, n); }},
        {"getCutBlockResult",
         [n](CVornelMng& m) {
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
