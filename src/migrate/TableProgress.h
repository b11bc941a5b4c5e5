// The progress of migrating one table, shown through the library's progress
// window: started with the table's name, moved by the rows done, ended.
#ifndef VORNEL_MIGRATE_TABLEPROGRESS_H
#define VORNEL_MIGRATE_TABLEPROGRESS_H

#include <string>

#include "progress/Progress.h"

namespace vornel::migrate {

class TableProgress {
public:
    TableProgress() = default;
    ~TableProgress() { end(); }
    TableProgress(const TableProgress&) = delete;
    TableProgress& operator=(const TableProgress&) = delete;

    // Ends the window of the table before, if one is open.
    void start(const std::string& table, long rows);
    void advance(long rowsDone);
    void end();

private:
    void show(long percent);

    QvProgressHandle handle_ = 0;
    bool open_ = false;
    long rows_ = 0;
    long shown_ = -1;
};

}  // namespace vornel::migrate

#endif
