// Writing derived values back: for one block, or for an array of blocks
// under a progress window. Each statement stands alone: a caller who wants
// all or none brackets the call in beginTransact/endTransact.
#include <cmath>
#include <new>
#include <string>

#include "progress/Progress.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "store/TextField.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

namespace {

std::string attributesUpdate(const std::string& table, const KrigBlockResult& b) {
    return format(
        "UPDATE [%s]                SET Ore_Propro = %f, Block_CorMass = %f, Block_OreMass = %f"
        "                WHERE Krig_BlockID = %ld",
        table.c_str(), b.Ore_Propro, b.Block_CorMass, b.Block_OreMass,
        static_cast<long>(b.Krig_BlockID));
}

// Why the proportion and masses cannot be written, or null.
const char* attributesProblem(double orePropro, double corMass, double oreMass) {
    if (!std::isfinite(orePropro) || !std::isfinite(corMass) || !std::isfinite(oreMass)) {
        return kNotFinite;
    }
    return keptInSingle(orePropro) && keptInSingle(corMass) && keptInSingle(oreMass)
               ? nullptr
               : kBeyondSingle;
}

std::string resTypeUpdate(const std::string& table, std::string_view resType, long blockId) {
    return format("UPDATE [%s] SET Krig_ResType = %s WHERE Krig_BlockID = %ld", table.c_str(),
                  quoted(resType).c_str(), blockId);
}

std::string resTypeUpdateOf(const std::string& table, const KrigBlockResult& b) {
    return resTypeUpdate(table, fieldText(b.Krig_ResType), b.Krig_BlockID);
}

// The progress window of an update of many blocks, ended on every way out,
// memory running out included.
class UpdateWindow {
public:
    UpdateWindow() : handle_(qvStartProgress("正在更新数据库中数据...", "处理进度")) {}
    ~UpdateWindow() { end(); }
    UpdateWindow(const UpdateWindow&) = delete;
    UpdateWindow& operator=(const UpdateWindow&) = delete;

    void setPos(long percent) { qvSetPos(handle_, percent); }
    void end() {
        if (open_) {
            open_ = false;
            qvEndProgress(handle_);
        }
    }

private:
    QvProgressHandle handle_;
    bool open_ = true;
};

}  // namespace

long CVornelMng::modifyResultAttByID(const std::string& tableName, long blockId, double orePropro,
                                     double corMass, double oreMass) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (const char* problem = attributesProblem(orePropro, corMass, oreMass)) {
        return fail(std::string("the update ") + problem);
    }
    return runStatement(
        format("UPDATE [%s]         SET Ore_Propro = %f, Block_CorMass = %f, Block_OreMass = %f"
               "         WHERE Krig_BlockID = %ld",
               tableName.c_str(), orePropro, corMass, oreMass, blockId));
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::modifyResTypeByID(const std::string& tableName, long blockId,
                                   const std::string& resType) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (const char* problem = textProblem(resType)) {
        return fail(problem);
    }
    // The column counts characters, so it would take more bytes than the
    // record holds, and a read would cut them.
    constexpr size_t kField = sizeof(KrigBlockResult::Krig_ResType);
    if (resType.size() > kField) {
        return fail("the text takes " + std::to_string(resType.size()) + " bytes, more than the " +
                    std::to_string(kField) + " of its field");
    }
    return runStatement(resTypeUpdate(tableName, resType, blockId));
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::updateEach(const std::string& tableName, KrigBlockResult* blocks, long count,
                            std::string (*statement)(const std::string&, const KrigBlockResult&)) {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    if (blocks == nullptr && count > 0) {
        return fail("no blocks to update");
    }
    // The host's progress window may close the database, or open it anew.
    const unsigned long long opening = m_pDatabase->m_nOpening;
    UpdateWindow window;
    const long step = count / 20 > 1 ? count / 20 : 1;
    for (long i = 0; i < count; ++i) {
        if (i % step == 0) {
            // Half up, then cut: the positions hosts have always been shown.
            const double position = static_cast<double>(i) * 100.0 / static_cast<double>(count);
            window.setPos(
                static_cast<long>(position + 0.5));  // NOLINT(bugprone-incorrect-roundings)
            if (!connectionOpen(m_pDatabase) || m_pDatabase->m_nOpening != opening) {
                window.end();
                // A transaction of the host's ended with the connection,
                // and took back what was written in it.
                return fail(
                    "the database was closed or opened anew while its blocks were "
                    "updated; " +
                    (i == 0 ? std::string("no block was updated")
                            : "the blocks before block " + std::to_string(blocks[i].Krig_BlockID) +
                                  " keep their new values unless a transaction of the "
                                  "host's was open, which the closing rolled back"));
            }
        }
        if (!execute(*m_pDatabase->m_pConnection, statement(tableName, blocks[i]))) {
            // The blocks before this one keep their new values. The reason
            // is taken before the window ends, which may close the database,
            // and kept after it, whose calls may fail for reasons of their own.
            const std::string why = kNotWritten + m_pDatabase->Failure();
            window.end();
            return fail(why);
        }
    }
    window.end();
    return 1;
}

long CVornelMng::modifyResultAtts(const std::string& tableName, KrigBlockResult* blocks,
                                  long count) try {
    for (long i = 0; blocks != nullptr && i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        if (const char* problem =
                attributesProblem(b.Ore_Propro, b.Block_CorMass, b.Block_OreMass)) {
            return fail("block " + std::to_string(b.Krig_BlockID) + " " + problem);
        }
    }
    return updateEach(tableName, blocks, count, attributesUpdate);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::modifyResType(const std::string& tableName, KrigBlockResult* blocks,
                               long count) try {
    return updateEach(tableName, blocks, count, resTypeUpdateOf);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
