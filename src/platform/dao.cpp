#include "platform/dao.h"

#include "platform/prefix.h"
#include "runtime/failure.h"

#include <cctype>
#include <cstring>
#include <sqlite3.h>

namespace dao {

Engine DBEngine;

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() {
        if (db) sqlite3_close_v2(db);
    }
};

namespace {

[[noreturn]] void RaiseStore(sqlite3* db, int rc) {
    int code = db ? sqlite3_errcode(db) : rc;
    std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw Failure(code & 0xFF, msg);
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void Prepare(sqlite3* db, const std::string& sql, const Params& params, Statement& st) {
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st.stmt, &tail);
    if (rc != SQLITE_OK) RaiseStore(db, rc);
    if (!st.stmt) throw Failure(SQLITE_MISUSE, "not an SQL statement");
    for (const char* p = tail; p && *p; ++p)
        if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';')
            throw Failure(SQLITE_ERROR, "only one statement may be run at a time");
    if (sqlite3_bind_parameter_count(st.stmt) != static_cast<int>(params.size()))
        throw Failure(SQLITE_RANGE, "wrong number of parameters for the statement");
    for (size_t i = 0; i < params.size(); ++i) {
        const Variant& v = params[i];
        int idx = static_cast<int>(i + 1);
        switch (v.kind()) {
        case Variant::Kind::Empty:
        case Variant::Kind::Null:
            rc = sqlite3_bind_null(st.stmt, idx);
            break;
        case Variant::Kind::String:
            rc = sqlite3_bind_text(st.stmt, idx, v.str().data(), static_cast<int>(v.str().size()),
                                   SQLITE_TRANSIENT);
            break;
        case Variant::Kind::Integer:
            rc = sqlite3_bind_int64(st.stmt, idx, v.integer());
            break;
        case Variant::Kind::Double:
            rc = sqlite3_bind_double(st.stmt, idx, v.dbl());
            break;
        case Variant::Kind::Boolean:
            rc = sqlite3_bind_int(st.stmt, idx, v.boolean() ? -1 : 0);
            break;
        }
        if (rc != SQLITE_OK) RaiseStore(db, rc);
    }
}

// SQLite's rule for a declared column type: "INT" makes it an integer
// column; otherwise "CHAR", "CLOB" or "TEXT" makes it a text one.
bool HasTextAffinity(const char* declared) {
    if (!declared) return false;
    std::string t = platform::ToUpperAscii(declared);
    if (t.find("INT") != std::string::npos) return false;
    return t.find("CHAR") != std::string::npos || t.find("CLOB") != std::string::npos ||
           t.find("TEXT") != std::string::npos;
}

} // namespace

// The rows of a snapshot: one cell per row and column, in blocks of rows, with
// the text in fixed-size chunks, so that nothing is moved while rows arrive.
struct RecordsetData {
    struct Cell {
        int type; // SQLITE_NULL, SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT
        uint32_t len;
        union {
            int64_t i;
            double d;
            const char* text;
        };
    };
    static constexpr size_t kRowsPerBlock = 128;
    // Below glibc's 64 KiB consolidation threshold: freeing a snapshot then
    // costs no heap consolidation.
    static constexpr size_t kChunk = 32 * 1024;

    std::vector<std::string> names;
    std::vector<std::unique_ptr<Cell[]>> blocks;
    std::vector<std::unique_ptr<char[]>> chunks;
    size_t chunkUsed = kChunk;
    size_t columns = 0;
    size_t rows = 0;
    size_t cursor = 0;  // == rows at EOF
    size_t visited = 0; // rows the cursor has reached
    bool closed = false;

    void Visit() {
        if (cursor < rows && cursor + 1 > visited) visited = cursor + 1;
    }
    Cell* NewRow() {
        if (rows % kRowsPerBlock == 0)
            blocks.emplace_back(new Cell[kRowsPerBlock * (columns ? columns : 1)]);
        return &blocks.back()[(rows % kRowsPerBlock) * columns];
    }
    const Cell& At(size_t row, size_t col) const {
        return blocks[row / kRowsPerBlock][(row % kRowsPerBlock) * columns + col];
    }
    const char* Keep(const char* p, size_t n) {
        if (n > kChunk / 4) {
            chunks.emplace_back(new char[n]);
            std::memcpy(chunks.back().get(), p, n);
            return chunks.back().get(); // a chunk of its own; the current one goes on
        }
        if (chunkUsed + n > kChunk) {
            chunks.emplace_back(new char[kChunk]);
            chunkUsed = 0;
            current = chunks.back().get();
        }
        char* dst = current + chunkUsed;
        std::memcpy(dst, p, n);
        chunkUsed += n;
        return dst;
    }
    char* current = nullptr;
};

Variant Field::Value() const {
    const RecordsetData& d = *data_;
    if (d.closed) Raise(errObjectClosed, "Object invalid or no longer set.");
    if (d.cursor >= d.rows) Raise(errNoCurrentRecord, "No current record.");
    const auto& c = d.At(d.cursor, column_);
    switch (c.type) {
    case SQLITE_INTEGER:
        return Variant(c.i);
    case SQLITE_FLOAT:
        return Variant(c.d);
    case SQLITE_TEXT:
        return Variant(std::string(c.text, c.len));
    default:
        return Variant::Null();
    }
}

void Field::TextInto(std::string& out, std::string_view ifNull) const {
    const RecordsetData& d = *data_;
    if (!d.closed && d.cursor < d.rows) {
        const auto& c = d.At(d.cursor, column_);
        if (c.type == SQLITE_TEXT) {
            out = std::string(c.text, c.len); // made in place: cheaper than assign's checks
            return;
        }
        if (c.type == SQLITE_NULL) {
            out.assign(ifNull);
            return;
        }
    }
    out = CStr(Value()); // numbers, and the failures of a closed or finished recordset
}

const std::string& Field::Name() const {
    return data_->names[column_];
}

const RecordsetData& Recordset::Live() const {
    if (!data_ || data_->closed) Raise(errObjectClosed, "Object invalid or no longer set.");
    return *data_;
}

bool Recordset::Eof() const {
    const auto& d = Live();
    return d.cursor >= d.rows;
}

void Recordset::MoveFirst() {
    Live();
    if (data_->rows == 0) Raise(errNoCurrentRecord, "No current record.");
    data_->cursor = 0;
    data_->Visit();
}

void Recordset::MoveLast() {
    Live();
    if (data_->rows == 0) Raise(errNoCurrentRecord, "No current record.");
    data_->cursor = data_->rows - 1;
    data_->visited = data_->rows;
}

void Recordset::MoveNext() {
    Live();
    if (data_->cursor >= data_->rows) Raise(errNoCurrentRecord, "No current record.");
    ++data_->cursor;
    data_->Visit();
}

long Recordset::RecordCount() const {
    return static_cast<long>(Live().visited);
}

Field Recordset::Fields(std::string_view name) const {
    const auto& d = Live();
    for (size_t i = 0; i < d.names.size(); ++i)
        if (platform::EqualsNoCase(d.names[i], name)) return Field(data_, i);
    Raise(errItemNotFound, "Item not found in this collection.");
}

void Recordset::Close() {
    Live();
    data_->closed = true;
    data_.reset();
}

Connection& Database::Live() {
    if (!conn_) Raise(errObjectClosed, "Object invalid or no longer set.");
    return *conn_;
}

Recordset Database::OpenRecordset(const std::string& statement, int, const Params& params) {
    sqlite3* db = Live().db;
    Statement st;
    Prepare(db, statement, params, st);
    auto data = std::make_shared<RecordsetData>();
    int ncol = sqlite3_column_count(st.stmt);
    data->columns = static_cast<size_t>(ncol);
    std::vector<char> textual(static_cast<size_t>(ncol));
    for (int c = 0; c < ncol; ++c) {
        data->names.emplace_back(sqlite3_column_name(st.stmt, c));
        textual[static_cast<size_t>(c)] = HasTextAffinity(sqlite3_column_decltype(st.stmt, c));
    }
    int rc;
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
        RecordsetData::Cell* row = data->NewRow();
        for (int c = 0; c < ncol; ++c) {
            RecordsetData::Cell& cell = row[c];
            cell.len = 0;
            if (textual[static_cast<size_t>(c)]) {
                // A column of text affinity holds text or Null (a number
                // stored in it became text), so its type need not be asked.
                const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, c));
                if (!p && sqlite3_column_type(st.stmt, c) == SQLITE_NULL) {
                    cell.type = SQLITE_NULL;
                    continue;
                }
                int n = p ? sqlite3_column_bytes(st.stmt, c) : 0;
                cell.type = SQLITE_TEXT;
                cell.len = static_cast<uint32_t>(n);
                cell.text = n ? data->Keep(p, static_cast<size_t>(n)) : "";
                continue;
            }
            cell.type = sqlite3_column_type(st.stmt, c);
            switch (cell.type) {
            case SQLITE_INTEGER:
                cell.i = sqlite3_column_int64(st.stmt, c);
                break;
            case SQLITE_FLOAT:
                cell.d = sqlite3_column_double(st.stmt, c);
                break;
            case SQLITE_NULL:
                break;
            default: { // text, and blobs read as their bytes
                const char* p =
                    cell.type == SQLITE_BLOB
                        ? static_cast<const char*>(sqlite3_column_blob(st.stmt, c))
                        : reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, c));
                int n = sqlite3_column_bytes(st.stmt, c);
                cell.type = SQLITE_TEXT;
                cell.len = static_cast<uint32_t>(n);
                cell.text = n ? data->Keep(p, static_cast<size_t>(n)) : "";
            }
            }
        }
        ++data->rows;
    }
    if (rc != SQLITE_DONE) RaiseStore(db, rc);
    data->Visit();
    return Recordset(std::move(data));
}

void Database::Execute(const std::string& statement, const Params& params) {
    sqlite3* db = Live().db;
    Statement st;
    Prepare(db, statement, params, st);
    int rc;
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) RaiseStore(db, rc);
}

void Database::InTransaction(const std::function<void()>& work) {
    Execute("BEGIN IMMEDIATE");
    try {
        work();
        Execute("COMMIT");
    } catch (...) {
        try {
            Execute("ROLLBACK");
        } catch (const Failure&) {
        }
        throw;
    }
}

void Database::Close() {
    Live();
    conn_.reset();
}

Database Workspace::OpenDatabase(const std::string& path) {
    auto conn = std::make_shared<Connection>();
    std::string native = platform::MapPath(path);
    int rc = sqlite3_open_v2(native.c_str(), &conn->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) RaiseStore(conn->db, rc);
    sqlite3_busy_timeout(conn->db, 3000);
    // Opening is lazy in SQLite; reading the schema now tells a damaged file or
    // one that is no database at once.
    rc = sqlite3_exec(conn->db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) RaiseStore(conn->db, rc);
    return Database(std::move(conn));
}

Workspace Engine::Workspaces(int index) {
    if (index != 0) Raise(Err::SubscriptOutOfRange, "Item not found in this collection.");
    return Workspace();
}

Database Engine::OpenDatabase(const std::string& path) {
    return Workspace().OpenDatabase(path);
}

} // namespace dao
