#include "migrate/TableProgress.h"

namespace vornel::migrate {

void TableProgress::start(const std::string& table, long rows) {
    end();
    const std::string message =
        "Table '" + table + "' (" + std::to_string(rows) + (rows == 1 ? " row)" : " rows)");
    handle_ = qvStartProgress(message.c_str(), "Migrating from Access");
    open_ = true;
    rows_ = rows;
    shown_ = -1;
    show(rows > 0 ? 0 : 100);
}

void TableProgress::advance(long rowsDone) {
    if (open_ && rows_ > 0) {
        show(rowsDone >= rows_ ? 100 : rowsDone * 100 / rows_);
    }
}

void TableProgress::end() {
    if (!open_) {
        return;
    }
    qvEndProgress(handle_);
    open_ = false;
}

void TableProgress::show(long percent) {
    if (percent != shown_) {
        shown_ = percent;
        qvSetPos(handle_, percent);
    }
}

}  // namespace vornel::migrate
