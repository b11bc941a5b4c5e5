#include "Baseline.h"

#include <cstring>
#include <stdexcept>

namespace bench {
namespace {

void check(sqlite3* db, int rc, int expected = SQLITE_OK) {
    if (rc != expected) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
}

void bindText(sqlite3_stmt* s, int i, const char* text) {
    if (*text == '\0') {
        sqlite3_bind_null(s, i);
    } else {
        sqlite3_bind_text(s, i, text, static_cast<int>(strnlen(text, 20)), SQLITE_STATIC);
    }
}

const char* textOf(sqlite3_stmt* s, int i) {
    const auto* text = sqlite3_column_text(s, i);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

template <size_t N>
void copyText(char (&field)[N], sqlite3_stmt* s, int i) {
    std::strncpy(field, textOf(s, i), N - 1);
}

}  // namespace

RawDb::RawDb(const std::string& path) {
    check(db_, sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr));
    sqlite3_busy_timeout(db_, 5000);
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
}

RawDb::~RawDb() {
    sqlite3_close(db_);
}

void RawDb::exec(const std::string& sql) {
    check(db_, sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr));
}

sqlite3_stmt* RawDb::prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    check(db_, sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr));
    return s;
}

void rawInsert(RawDb& db, const std::string& table, const std::vector<KrigBlockResult>& blocks) {
    db.exec("BEGIN IMMEDIATE");
    sqlite3_stmt* s = db.prepare("INSERT INTO [" + table +
                                 "] VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    std::vector<uint8_t> buffer;
    for (const KrigBlockResult& b : blocks) {
        sqlite3_bind_int(s, 1, b.MineID);
        sqlite3_bind_int(s, 2, b.Krig_BlockID);
        const double reals[] = {b.Krig_PntLocX,   b.Krig_PntLocY,   b.Krig_PntLocZ,
                                b.Krig_GridSizeX, b.Krig_GridSizeY, b.Krig_GridSizeZ,
                                b.Block_Coef,     b.Krig_OutAttr,   b.Krig_OutVari};
        for (int i = 0; i < 9; ++i) {
            sqlite3_bind_double(s, 3 + i, reals[i]);
        }
        sqlite3_bind_int(s, 12, b.Srch_Degr);
        sqlite3_bind_int(s, 13, b.Krig_PntNum);
        sqlite3_bind_int(s, 14, static_cast<int>(b.Krig_MeanDis));
        sqlite3_bind_int(s, 15, b.Krig_EngZKNum);
        sqlite3_bind_int(s, 16, b.Krig_EngTCNum);
        sqlite3_bind_int(s, 17, b.Krig_EngKDNum);
        sqlite3_bind_int(s, 18, b.Krig_EngQJNum);
        bindText(s, 19, b.Krig_ResType);
        bindText(s, 20, b.Krig_OreType);
        sqlite3_bind_int(s, 21, b.Krig_Bound != 0 ? 1 : 0);
        const size_t n = b.SubBUD_Num > 0 ? static_cast<size_t>(b.SubBUD_Num) : 0;
        buffer.resize(4 + 48 * n);
        const int32_t count = static_cast<int32_t>(n);
        std::memcpy(buffer.data(), &count, 4);
        if (n > 0) {
            std::memcpy(buffer.data() + 4, b.SubBUD_PntLoc, 24 * n);
            std::memcpy(buffer.data() + 4 + 24 * n, b.SubBUD_GridSize, 24 * n);
        }
        sqlite3_bind_blob(s, 22, buffer.data(), static_cast<int>(buffer.size()), SQLITE_STATIC);
        sqlite3_bind_double(s, 23, static_cast<float>(b.Block_Vol));
        sqlite3_bind_double(s, 24, static_cast<float>(b.Ore_Propro));
        sqlite3_bind_double(s, 25, static_cast<float>(b.Block_CorMass));
        sqlite3_bind_double(s, 26, static_cast<float>(b.Block_OreMass));
        check(db.handle(), sqlite3_step(s), SQLITE_DONE);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    db.exec("COMMIT");
}

void rawRead(RawDb& db, const std::string& sql, std::vector<KrigBlockResult>& out) {
    sqlite3_stmt* s = db.prepare(sql);
    out.clear();
    while (sqlite3_step(s) == SQLITE_ROW) {
        KrigBlockResult& b = out.emplace_back();
        b.MineID = sqlite3_column_int(s, 0);
        b.Krig_BlockID = sqlite3_column_int(s, 1);
        b.Krig_PntLocX = sqlite3_column_double(s, 2);
        b.Krig_PntLocY = sqlite3_column_double(s, 3);
        b.Krig_PntLocZ = sqlite3_column_double(s, 4);
        b.Krig_GridSizeX = sqlite3_column_double(s, 5);
        b.Krig_GridSizeY = sqlite3_column_double(s, 6);
        b.Krig_GridSizeZ = sqlite3_column_double(s, 7);
        b.Block_Coef = sqlite3_column_double(s, 8);
        b.Krig_OutAttr = sqlite3_column_double(s, 9);
        b.Krig_OutVari = sqlite3_column_double(s, 10);
        b.Srch_Degr = sqlite3_column_int(s, 11);
        b.Krig_PntNum = sqlite3_column_int(s, 12);
        b.Krig_MeanDis = sqlite3_column_double(s, 13);
        b.Krig_EngZKNum = sqlite3_column_int(s, 14);
        b.Krig_EngTCNum = sqlite3_column_int(s, 15);
        b.Krig_EngKDNum = sqlite3_column_int(s, 16);
        b.Krig_EngQJNum = sqlite3_column_int(s, 17);
        copyText(b.Krig_ResType, s, 18);
        copyText(b.Krig_OreType, s, 19);
        b.Krig_Bound = sqlite3_column_int(s, 20) != 0 ? -1 : 0;
        b.Block_Vol = sqlite3_column_double(s, 22);
        b.Ore_Propro = sqlite3_column_double(s, 23);
        b.Block_CorMass = sqlite3_column_double(s, 24);
        b.Block_OreMass = sqlite3_column_double(s, 25);
        const auto* blob = static_cast<const uint8_t*>(sqlite3_column_blob(s, 21));
        const int size = sqlite3_column_bytes(s, 21);
        int32_t n = 0;
        if (size >= 4) {
            std::memcpy(&n, blob, 4);
        }
        if (n > 0 && static_cast<size_t>(size) >= 4 + 48 * static_cast<size_t>(n)) {
            b.SubBUD_Num = n;
            b.SubBUD_PntLoc = new D_3DOT[static_cast<size_t>(n)];
            b.SubBUD_GridSize = new D_3DOT[static_cast<size_t>(n)];
            std::memcpy(b.SubBUD_PntLoc, blob + 4, 24 * static_cast<size_t>(n));
            std::memcpy(b.SubBUD_GridSize, blob + 4 + 24 * static_cast<size_t>(n),
                        24 * static_cast<size_t>(n));
        }
    }
    sqlite3_finalize(s);
}

void releaseRead(std::vector<KrigBlockResult>& blocks) {
    for (const auto& b : blocks) {
        delete[] b.SubBUD_PntLoc;
        delete[] b.SubBUD_GridSize;
    }
    blocks.clear();
    blocks.shrink_to_fit();
}

void rawUpdate(RawDb& db, const std::string& table, const KrigBlockResult* blocks, long count) {
    sqlite3_stmt* s = db.prepare("UPDATE [" + table +
                                 "] SET Ore_Propro = ?, Block_CorMass = ?, Block_OreMass = ? "
                                 "WHERE Krig_BlockID = ?");
    for (long i = 0; i < count; ++i) {
        sqlite3_bind_double(s, 1, blocks[i].Ore_Propro);
        sqlite3_bind_double(s, 2, blocks[i].Block_CorMass);
        sqlite3_bind_double(s, 3, blocks[i].Block_OreMass);
        sqlite3_bind_int(s, 4, blocks[i].Krig_BlockID);
        check(db.handle(), sqlite3_step(s), SQLITE_DONE);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

void rawInsertParams(RawDb& db, const std::vector<KrigBlockParam>& runs, int firstMineId) {
    db.exec("BEGIN IMMEDIATE");
    std::string marks = "?";
    for (int i = 1; i < 38; ++i) {
        marks += ",?";
    }
    sqlite3_stmt* s = db.prepare("INSERT INTO KrigBlock_Param VALUES (" + marks + ")");
    int id = firstMineId;
    for (const KrigBlockParam& p : runs) {
        int c = 1;
        sqlite3_bind_int(s, c++, id++);
        sqlite3_bind_text(s, c++, p.Krig_Result_Name, -1, SQLITE_STATIC);
        sqlite3_bind_text(s, c++, p.Mine_Element, -1, SQLITE_STATIC);
        for (double v : {p.Grid_StartX, p.Grid_StartY, p.Grid_StartZ, p.Grid_EndX, p.Grid_EndY,
                         p.Grid_EndZ, p.Grid_SizeX, p.Grid_SizeY, p.Grid_SizeZ}) {
            sqlite3_bind_double(s, c++, v);
        }
        for (int v : {p.Grid_NumX, p.Grid_NumY, p.Grid_NumZ, p.Grid_Azm, p.Grid_Dip, p.Grid_Org}) {
            sqlite3_bind_int(s, c++, v);
        }
        for (double v : {p.SubGrid_SizeX, p.SubGrid_SizeY, p.SubGrid_SizeZ, p.Srch_RangX,
                         p.Srch_RangY, p.Srch_RangZ}) {
            sqlite3_bind_double(s, c++, v);
        }
        for (int v : {p.Srch_Azm, p.Srch_Dip, p.Srch_Org}) {
            sqlite3_bind_int(s, c++, v);
        }
        sqlite3_bind_double(s, c++, p.Srch_Coef);
        sqlite3_bind_int(s, c++, p.Srch_MinPnt);
        sqlite3_bind_int(s, c++, p.Srch_MaxPnt);
        sqlite3_bind_double(s, c++, p.Vrg_Nug);
        sqlite3_bind_double(s, c++, p.Vrg_Sill);
        for (int v : {p.Vrg_Num, p.OreType_Num, p.OreClas_Num, p.OreAttr_Unit}) {
            sqlite3_bind_int(s, c++, v);
        }
        sqlite3_bind_text(s, c++, p.Table_Name, -1, SQLITE_STATIC);
        sqlite3_bind_text(s, c++, p.VoidTable_Name, -1, SQLITE_STATIC);
        check(db.handle(), sqlite3_step(s), SQLITE_DONE);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    db.exec("COMMIT");
}

void rawReadParams(RawDb& db, int firstMineId, int count, std::vector<KrigBlockParam>& out) {
    sqlite3_stmt* s = db.prepare("SELECT * FROM KrigBlock_Param WHERE MineID = ?");
    out.clear();
    for (int id = firstMineId; id < firstMineId + count; ++id) {
        sqlite3_bind_int(s, 1, id);
        while (sqlite3_step(s) == SQLITE_ROW) {
            KrigBlockParam& p = out.emplace_back();
            p.MineID = sqlite3_column_int(s, 0);
            copyText(p.Krig_Result_Name, s, 1);
            copyText(p.Mine_Element, s, 2);
            double* const doubles[] = {&p.Grid_StartX, &p.Grid_StartY, &p.Grid_StartZ,
                                       &p.Grid_EndX,   &p.Grid_EndY,   &p.Grid_EndZ,
                                       &p.Grid_SizeX,  &p.Grid_SizeY,  &p.Grid_SizeZ};
            int c = 3;
            for (double* v : doubles) {
                *v = sqlite3_column_double(s, c++);
            }
            int32_t* const ints[] = {&p.Grid_NumX, &p.Grid_NumY, &p.Grid_NumZ,
                                     &p.Grid_Azm,  &p.Grid_Dip,  &p.Grid_Org};
            for (int32_t* v : ints) {
                *v = sqlite3_column_int(s, c++);
            }
            double* const more[] = {&p.SubGrid_SizeX, &p.SubGrid_SizeY, &p.SubGrid_SizeZ,
                                    &p.Srch_RangX,    &p.Srch_RangY,    &p.Srch_RangZ};
            for (double* v : more) {
                *v = sqlite3_column_double(s, c++);
            }
            p.Srch_Azm = sqlite3_column_int(s, c++);
            p.Srch_Dip = sqlite3_column_int(s, c++);
            p.Srch_Org = sqlite3_column_int(s, c++);
            p.Srch_Coef = sqlite3_column_double(s, c++);
            p.Srch_MinPnt = sqlite3_column_int(s, c++);
            p.Srch_MaxPnt = sqlite3_column_int(s, c++);
            p.Vrg_Nug = sqlite3_column_double(s, c++);
            p.Vrg_Sill = sqlite3_column_double(s, c++);
            p.Vrg_Num = sqlite3_column_int(s, c++);
            p.OreType_Num = sqlite3_column_int(s, c++);
            p.OreClas_Num = sqlite3_column_int(s, c++);
            p.OreAttr_Unit = sqlite3_column_int(s, c++);
            copyText(p.Table_Name, s, c++);
            copyText(p.VoidTable_Name, s, c);
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

}  // namespace bench
