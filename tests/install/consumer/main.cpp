// Makes a database with one run and one block and reads the block back.
#include <vornel/Hooks.h>
#include <vornel/Migrate.h>
#include <vornel/SectionTrace.h>
#include <vornel/Version.h>
#include <vornel/VornelMng.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    CVornelMng mng;
    KrigBlockParam run;
    std::strcpy(run.Mine_Element, "Cu");
    std::strcpy(run.Table_Name, "T1");
    std::vector<long> ids;
    KrigBlockResult block;
    block.MineID = 1;
    block.Krig_BlockID = 1;
    block.Krig_OutAttr = 1.5;
    KrigBlockResult* read = nullptr;
    long count = 0;
    const bool ok = mng.createDatabase(argv[1]) == 1 && mng.initDataBase() == 1 &&
                    mng.insertIntoBlockParam(&run, 1, ids) == 1 &&
                    mng.createBlockResultTbl("T1") == 1 &&
                    mng.insertIntoBlockResult("T1", &block, 1) == 1 &&
                    mng.getBlockResult("T1", &read, &count) == 1 && count == 1 &&
                    read[0].Krig_OutAttr == 1.5;
    std::printf("vornel %s: %s\n", vornel::version(), ok ? "ok" : mng.lastError().c_str());
    return ok ? 0 : 1;
}
