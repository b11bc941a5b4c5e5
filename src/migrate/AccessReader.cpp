#include "migrate/AccessReader.h"

// glib first: mdbtools.h includes it inside its extern "C" block, where a
// C++ compiler refuses glib's templates.
#include <glib.h>
#include <mdbtools.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "migrate/FixedValue.h"
#include "migrate/MigrationError.h"

namespace vornel::migrate {
namespace {

static_assert(MDB_BOOL == jet::kBool && MDB_BYTE == jet::kByte && MDB_INT == jet::kInteger &&
              MDB_LONGINT == jet::kLong && MDB_MONEY == jet::kCurrency &&
              MDB_FLOAT == jet::kSingle && MDB_DOUBLE == jet::kDouble &&
              MDB_DATETIME == jet::kDateTime && MDB_BINARY == jet::kBinary &&
              MDB_TEXT == jet::kText && MDB_OLE == jet::kOle && MDB_MEMO == jet::kMemo);

// A row's entry in its page's offset table keeps flags above the offset.
constexpr int kRowOffsetMask = 0x1fff;
// So does the length word that starts a long value.
constexpr uint32_t kLongLengthMask = 0x3fffffff;
// A piece of a long value lies in one page, or in one row of one.
constexpr size_t kPieceSize = 2 * static_cast<size_t>(MDB_PGSIZE);

struct MdbCloser {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using Mdb = std::unique_ptr<MdbHandle, MdbCloser>;
using Table = std::unique_ptr<MdbTableDef, TableFreer>;

class FileReader {
public:
    explicit FileReader(const std::string& path) : path_(path) {
        struct stat st {};
        fileSize_ = ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
        mdb_.reset(mdb_open(path.c_str(), MDB_NOFLAGS));
        if (!mdb_) {
            throw MigrationError("'" + path + "' cannot be read as an Access database");
        }
    }

    void readAll(AccessSink& sink) {
        if (mdb_read_catalog(mdb_.get(), MDB_ANY) == nullptr) {
            damaged("its list of tables cannot be read");
        }
        checkCatalogComplete();
        // The system tables are read through as well, though not handed on:
        // a file cut short or damaged anywhere should not pass for whole.
        for (unsigned i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry->object_type == MDB_TABLE) {
                readTable(*entry, mdb_is_user_table(entry) != 0 ? &sink : nullptr);
            }
        }
    }

private:
    [[noreturn]] void damaged(const std::string& what) const {
        throw MigrationError("'" + path_ + "' is damaged: " + what);
    }

    // The list of tables is itself a table, which counts its rows.
    void checkCatalogComplete() {
        MdbCatalogEntry* objects = mdb_get_catalogentry_by_name(mdb_.get(), "MSysObjects");
        const Table table(objects != nullptr ? mdb_read_table(objects) : nullptr);
        if (!table || table->num_rows != mdb_->num_catalog) {
            damaged("its list of tables is incomplete");
        }
    }

    // Hands the table on to the sink, if there is one.
    void readTable(MdbCatalogEntry& entry, AccessSink* sink) {
        const std::string name = entry.object_name;
        Table table(mdb_read_table(&entry));
        if (!table || mdb_read_columns(table.get()) == nullptr) {
            damaged("table '" + name + "' cannot be read");
        }
        if (sink != nullptr) {
            sink->beginTable(describe(*table));
        }
        fields_.resize(table->num_cols);
        Row row(table->num_cols);
        const long counted = table->num_rows;
        long rows = 0;
        mdb_rewind_table(table.get());
        while (rows <= counted && mdb_fetch_row(table.get()) != 0) {
            readRow(*table, row);
            if (sink != nullptr) {
                sink->row(row);
            }
            ++rows;
        }
        if (rows != counted) {
            damaged("table '" + name + "' counts " + std::to_string(counted) + " rows, but " +
                    std::to_string(rows) + (rows > counted ? " or more" : "") + " can be read");
        }
        if (sink != nullptr) {
            sink->endTable();
        }
    }

    AccessTable describe(const MdbTableDef& table) const {
        AccessTable out;
        out.name = table.name;
        out.rows = table.num_rows;
        for (unsigned i = 0; i < table.num_cols; ++i) {
            const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(table.columns, i));
            const int size = col->col_type == MDB_TEXT ? characters(*col) : col->col_size;
            out.columns.push_back({col->name, col->col_type, size});
        }
        return out;
    }

    static std::string where(const MdbTableDef& table, const MdbColumn& col) {
        return "table '" + std::string(table.name) + "', column '" + col.name + "'";
    }

    // The row that mdb_fetch_row just read, from the page it left loaded.
    void readRow(MdbTableDef& table, Row& row) {
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb_.get(), static_cast<int>(table.cur_row) - 1, &start, &size) != 0 ||
            mdb_crack_row(&table, start & kRowOffsetMask, size, fields_.data()) < 0) {
            damaged("a row of table '" + std::string(table.name) + "' cannot be read");
        }
        for (unsigned i = 0; i < table.num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table.columns, i));
            row[i] = decode(table, *col, fields_[i]);
        }
    }

    Cell decode(const MdbTableDef& table, MdbColumn& col, const MdbField& field) {
        Cell cell;
        if (col.col_type == MDB_BOOL) {
            // A yes/no value lives in the row's null mask: set is yes.
            cell.kind = Cell::Bool;
            cell.integer = field.is_null != 0 ? 0 : 1;
            return cell;
        }
        if (field.is_null != 0) {
            return cell;
        }
        if (field.start < 0 || field.siz < 0 || field.start + field.siz > mdb_->fmt->pg_size) {
            damaged("a value of " + where(table, col) + " lies outside its page");
        }
        const unsigned char* data = mdb_->pg_buf + field.start;
        const auto size = static_cast<size_t>(field.siz);
        const size_t fixed = fixedSize(col.col_type);
        if (fixed != 0) {
            if (size != fixed) {
                damaged("a value of " + where(table, col) + " has " + std::to_string(size) +
                        " bytes instead of " + std::to_string(fixed));
            }
            cell = fixedCell(col.col_type, data);
            if (cell.kind == Cell::Date && !isAccessDate(cell.real)) {
                damaged("a date in " + where(table, col) + " lies outside the years 100 to 9999");
            }
            return cell;
        }
        switch (col.col_type) {
            case MDB_TEXT:
                cell.kind = Cell::Text;
                cell.data = text(reinterpret_cast<const char*>(data), size);
                checkLength(table, col, cell.data);
                break;
            case MDB_MEMO: {
                const std::string raw = longValue(table, col, data, size);
                cell.kind = Cell::Text;
                cell.data = text(raw.data(), raw.size());
                break;
            }
            case MDB_BINARY:
                cell.kind = Cell::Bytes;
                cell.data.assign(reinterpret_cast<const char*>(data), size);
                break;
            case MDB_OLE:
                cell.kind = Cell::Bytes;
                cell.data = longValue(table, col, data, size);
                break;
            default:
                break;
        }
        return cell;
    }

    // How many characters a text column holds: Jet 4 keeps text as UCS-2,
    // and counts its sizes in bytes, two to a character.
    int characters(const MdbColumn& col) const {
        return IS_JET3(mdb_) ? col.col_size : col.col_size / 2;
    }

    // Jet never stores a text longer than its column allows.
    void checkLength(const MdbTableDef& table, const MdbColumn& col, const std::string& utf8) {
        const auto count = std::count_if(utf8.begin(), utf8.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xc0) != 0x80;  // not a continuation byte
        });
        if (count > characters(col)) {
            damaged("a text in " + where(table, col) + " is longer than its column allows");
        }
    }

    // Text in the file's encoding (a code page for Jet 3, UCS-2 that may be
    // compressed for Jet 4) as UTF-8, which takes at most three bytes for
    // each byte of either.
    std::string text(const char* data, size_t size) {
        std::string out(size * 3 + 1, '\0');
        const int n = mdb_unicode2ascii(mdb_.get(), data, size, out.data(), out.size());
        out.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return out;
    }

    // A memo or OLE object value: a header in the row that says how long it
    // is and where it lies (in the row, on one page, or on a chain of them).
    std::string longValue(const MdbTableDef& table, MdbColumn& col, const unsigned char* data,
                          size_t size) {
        if (size < MDB_MEMO_OVERHEAD) {
            damaged("a long value of " + where(table, col) + " has no header");
        }
        unsigned char header[MDB_MEMO_OVERHEAD];
        std::memcpy(header, data, sizeof header);
        const uint64_t length = littleEndian(header, 4) & kLongLengthMask;
        if (length > fileSize_) {
            damaged("a long value of " + where(table, col) +
                    " claims more bytes than the file has");
        }
        std::string value;
        col.bind_ptr = piece_.data();
        size_t n = mdb_ole_read(mdb_.get(), &col, header, piece_.size());
        while (n > 0) {
            value.append(piece_.data(), n);
            n = value.size() < length ? mdb_ole_read_next(mdb_.get(), &col, header) : 0;
        }
        col.bind_ptr = nullptr;
        if (value.size() != length) {
            damaged("a long value of " + where(table, col) + " should have " +
                    std::to_string(length) + " bytes, but " + std::to_string(value.size()) +
                    " can be read");
        }
        return value;
    }

    std::string path_;
    uint64_t fileSize_ = 0;
    Mdb mdb_;
    std::vector<MdbField> fields_;
    std::vector<char> piece_ = std::vector<char>(kPieceSize);
};

}  // namespace

void readAccessFile(const std::string& path, AccessSink& sink) {
    FileReader(path).readAll(sink);
}

}  // namespace vornel::migrate
