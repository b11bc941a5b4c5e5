#include "store/BlockRows.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "platform/Trace.h"
#include "store/Ready.h"
#include "store/SubBlockBuffer.h"
#include "store/TextField.h"

namespace vornel::store {
namespace {

int readInt(CDbRecordset& rs, long column) {
    int v = 0;
    rs.GetCollect(column, v);
    return v;
}

double readDouble(CDbRecordset& rs, long column) {
    double v = 0.0;
    rs.GetCollect(column, v);
    return v;
}

// Columns 0 to 8 are the same in both kinds of block table.
template <class Block>
void readPlacement(CDbRecordset& rs, Block& b) {
    b.MineID = readInt(rs, 0);
    b.Krig_BlockID = readInt(rs, 1);
    b.Krig_PntLocX = readDouble(rs, 2);
    b.Krig_PntLocY = readDouble(rs, 3);
    b.Krig_PntLocZ = readDouble(rs, 4);
    b.Krig_GridSizeX = readDouble(rs, 5);
    b.Krig_GridSizeY = readDouble(rs, 6);
    b.Krig_GridSizeZ = readDouble(rs, 7);
    b.Block_Coef = readDouble(rs, 8);
}

template <class Block>
bool putPlacement(CDbRecordset& rs, const Block& b, int32_t blockId) {
    return rs.AddNew() != 0 && rs.PutCollect(0, b.MineID) != 0 && rs.PutCollect(1, blockId) != 0 &&
           rs.PutCollect(2, b.Krig_PntLocX) != 0 && rs.PutCollect(3, b.Krig_PntLocY) != 0 &&
           rs.PutCollect(4, b.Krig_PntLocZ) != 0 && rs.PutCollect(5, b.Krig_GridSizeX) != 0 &&
           rs.PutCollect(6, b.Krig_GridSizeY) != 0 && rs.PutCollect(7, b.Krig_GridSizeZ) != 0 &&
           rs.PutCollect(8, b.Block_Coef) != 0;
}

}  // namespace

void BlockReader::readResultColumns(KrigBlockResult& b) {
    readPlacement(rs_, b);
    b.Krig_OutAttr = readDouble(rs_, 9);
    b.Krig_OutVari = readDouble(rs_, 10);
    b.Srch_Degr = readInt(rs_, 11);
    b.Krig_PntNum = readInt(rs_, 12);
    b.Krig_MeanDis = readDouble(rs_, 13);
    b.Krig_EngZKNum = readInt(rs_, 14);
    b.Krig_EngTCNum = readInt(rs_, 15);
    b.Krig_EngKDNum = readInt(rs_, 16);
    b.Krig_EngQJNum = readInt(rs_, 17);
    rs_.GetCollect(18, text_);
    copyToField(b.Krig_ResType, text_);
    rs_.GetCollect(19, text_);
    copyToField(b.Krig_OreType, text_);
    b.Krig_Bound = readInt(rs_, 20);
    b.Block_Vol = readDouble(rs_, 22);
    b.Ore_Propro = readDouble(rs_, 23);
    b.Block_CorMass = readDouble(rs_, 24);
    b.Block_OreMass = readDouble(rs_, 25);
}

void BlockReader::readResult(KrigBlockResult& block) {
    readResultColumns(block);
    readSubBlocks(kResultSubBlockColumn, block);
}

void BlockReader::readVoid(KrigBlockVoid& b) {
    readPlacement(rs_, b);
    rs_.GetCollect(9, text_);
    copyToField(b.Krig_OreType, text_);
    b.Krig_Bound = readInt(rs_, 10);
    readSubBlocks(kVoidSubBlockColumn, b);
}

SubBlockView BlockReader::readSubBlockView(long column) {
    const engine::Field field = rs_.GetField(column);
    long size = 0;
    try {
        size = field.actualSize();
    } catch (const std::exception&) {
        size = 0;  // a length that cannot be told reads as no value
    }
    buffer_.assign(static_cast<size_t>(size > 0 ? size : 0), 0);
    if (size > 0 && rs_.GetChunk(field, buffer_.data()) == 0) {
        throw UnreadableSubBlocks();
    }
    const SubBlockView view(buffer_.data(), buffer_.size());
    if (size > 0 && !view.valid()) {
        VORNEL_TRACE(
            "Warning: SubBUDBlob 的 %ld 字节不足以容纳其记录的子块, 按无子块读取; 文件: %s; 行: "
            "%d\n",
            size, __FILE__, __LINE__);
    }
    return view;
}

template <class Block>
void BlockReader::readSubBlocks(long column, Block& block) {
    const SubBlockView view = readSubBlockView(column);
    if (buffer_.empty()) {
        return;  // NULL or empty: the record keeps what it had
    }
    SubBlocks sub;
    view.copyTo(sub);
    block.SubBUD_Num = sub.count;
    block.SubBUD_PntLoc = sub.centres;
    block.SubBUD_GridSize = sub.sizes;
}

bool BlockWriter::writeSubBlocks(long column, int32_t count, const D_3DOT* centres,
                                 const D_3DOT* sizes) {
    encodeSubBlocks(count, centres, sizes, buffer_);
    return rs_.AppendChunk(column, buffer_.data(), buffer_.size()) != 0;
}

namespace {

bool finite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool finiteBox(const KrigBlockVoid& b) {
    return finite({b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ, b.Krig_GridSizeX,
                   b.Krig_GridSizeY, b.Krig_GridSizeZ, b.Block_Coef});
}

bool finiteBox(const KrigBlockResult& b) {
    return finite({b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ, b.Krig_GridSizeX,
                   b.Krig_GridSizeY, b.Krig_GridSizeZ, b.Block_Coef, b.Krig_OutAttr, b.Krig_OutVari,
                   b.Krig_MeanDis, b.Block_Vol, b.Ore_Propro, b.Block_CorMass, b.Block_OreMass});
}

bool fitsSingle(const KrigBlockResult& b) {
    return keptInSingle(b.Block_Vol) && keptInSingle(b.Ore_Propro) &&
           keptInSingle(b.Block_CorMass) && keptInSingle(b.Block_OreMass);
}

// The mean distance is kept as a 32-bit whole number, cut toward zero.
bool fitsWhole(const KrigBlockResult& b) {
    return b.Krig_MeanDis > -2147483649.0 && b.Krig_MeanDis < 2147483648.0;
}

// A void block has none of these columns.
bool fitsSingle(const KrigBlockVoid&) {
    return true;
}

bool fitsWhole(const KrigBlockVoid&) {
    return true;
}

template <class Block>
bool subBlocksPresent(const Block& block) {
    return block.SubBUD_Num <= 0 ||
           (block.SubBUD_PntLoc != nullptr && block.SubBUD_GridSize != nullptr);
}

// Only once the arrays are known to be there.
template <class Block>
bool finiteSubBlocks(const Block& b) {
    for (int32_t j = 0; j < b.SubBUD_Num; ++j) {
        const D_3DOT& c = b.SubBUD_PntLoc[j];
        const D_3DOT& s = b.SubBUD_GridSize[j];
        if (!finite({c.x, c.y, c.z, s.x, s.y, s.z})) {
            return false;
        }
    }
    return true;
}

template <class Block>
long firstUnwritableOf(const Block* blocks, long count, const char*& why) {
    for (long i = 0; i < count; ++i) {
        why = !finiteBox(blocks[i])          ? kNotFinite
              : !fitsSingle(blocks[i])       ? kBeyondSingle
              : !fitsWhole(blocks[i])        ? kBeyondWhole
              : !subBlocksPresent(blocks[i]) ? kNoSubBlockArrays
              : !finiteSubBlocks(blocks[i])  ? kNotFinite
                                             : nullptr;
        if (why != nullptr) {
            return i;
        }
    }
    return -1;
}

}  // namespace

long firstUnwritable(const KrigBlockResult* blocks, long count, const char*& why) {
    return firstUnwritableOf(blocks, count, why);
}

long firstUnwritable(const KrigBlockVoid* blocks, long count, const char*& why) {
    return firstUnwritableOf(blocks, count, why);
}

bool BlockWriter::writeResult(const KrigBlockResult& b) {
    const float vol = static_cast<float>(b.Block_Vol);
    const float propro = static_cast<float>(b.Ore_Propro);
    const float corMass = static_cast<float>(b.Block_CorMass);
    const float oreMass = static_cast<float>(b.Block_OreMass);
    return putPlacement(rs_, b, b.Krig_BlockID) && rs_.PutCollect(9, b.Krig_OutAttr) != 0 &&
           rs_.PutCollect(10, b.Krig_OutVari) != 0 && rs_.PutCollect(11, b.Srch_Degr) != 0 &&
           rs_.PutCollect(12, b.Krig_PntNum) != 0 &&
           rs_.PutCollect(13, static_cast<int32_t>(b.Krig_MeanDis)) != 0 &&
           rs_.PutCollect(14, b.Krig_EngZKNum) != 0 && rs_.PutCollect(15, b.Krig_EngTCNum) != 0 &&
           rs_.PutCollect(16, b.Krig_EngKDNum) != 0 && rs_.PutCollect(17, b.Krig_EngQJNum) != 0 &&
           rs_.PutCollect(18, std::string(fieldText(b.Krig_ResType))) != 0 &&
           rs_.PutCollect(19, std::string(fieldText(b.Krig_OreType))) != 0 &&
           rs_.PutCollect(20, b.Krig_Bound) != 0 &&
           writeSubBlocks(kResultSubBlockColumn, b.SubBUD_Num, b.SubBUD_PntLoc,
                          b.SubBUD_GridSize) &&
           rs_.PutCollect(22, vol) != 0 && rs_.PutCollect(23, propro) != 0 &&
           rs_.PutCollect(24, corMass) != 0 && rs_.PutCollect(25, oreMass) != 0 &&
           rs_.Update() != 0;
}

bool BlockWriter::writeVoid(const KrigBlockVoid& b, int32_t blockId) {
    return putPlacement(rs_, b, blockId) &&
           rs_.PutCollect(9, std::string(fieldText(b.Krig_OreType))) != 0 &&
           rs_.PutCollect(10, b.Krig_Bound) != 0 &&
           writeSubBlocks(kVoidSubBlockColumn, b.SubBUD_Num, b.SubBUD_PntLoc, b.SubBUD_GridSize) &&
           rs_.Update() != 0;
}

}  // namespace vornel::store
