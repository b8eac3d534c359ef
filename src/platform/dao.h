// A DAO-shaped catalogue store over SQLite: DBEngine, Workspace, Database,
// Recordset and Field, with Jet's answers where the program relies on them.
// A store failure is a Failure numbered with SQLite's result code and
// described with SQLite's message.
#pragma once

#include "runtime/variant.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dao {

inline constexpr int dbOpenTable = 1;
inline constexpr int dbOpenDynaset = 2;
inline constexpr int dbOpenSnapshot = 4;
inline constexpr int dbOpenForwardOnly = 8;

// Cursor failures, numbered as DAO numbers them.
inline constexpr long errNoCurrentRecord = 3021;
inline constexpr long errItemNotFound = 3265;
inline constexpr long errObjectClosed = 3420;

using Params = std::vector<Variant>;

struct Connection;
struct RecordsetData;

// A column of a recordset; its Value follows the recordset's current row.
class Field {
  public:
    Variant Value() const;
    // The value as text straight into out (Value converted as CStr does),
    // or ifNull for Null: the loaders' way, without a Variant in between.
    void TextInto(std::string& out, std::string_view ifNull) const;
    const std::string& Name() const;

  private:
    friend class Recordset;
    Field(std::shared_ptr<RecordsetData> data, size_t column)
        : data_(std::move(data)), column_(column) {}
    std::shared_ptr<RecordsetData> data_;
    size_t column_;
};

// A static snapshot of a query's rows, taken when it is opened.
class Recordset {
  public:
    Recordset() = default;
    bool Eof() const; // DAO's EOF
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    // Rows visited so far, as Jet counts them: 0 for an empty result, at least 1
    // otherwise right after opening, the full count after MoveLast.
    long RecordCount() const;
    // Field names are resolved without regard to case.
    Field Fields(std::string_view name) const;
    void Close();

  private:
    friend class Database;
    explicit Recordset(std::shared_ptr<RecordsetData> d) : data_(std::move(d)) {}
    const RecordsetData& Live() const;
    std::shared_ptr<RecordsetData> data_;
};

class Database {
  public:
    Database() = default;
    // Values in params are bound to the statement's "?" placeholders in order.
    Recordset OpenRecordset(const std::string& statement, int type = dbOpenDynaset,
                            const Params& params = {});
    void Execute(const std::string& statement, const Params& params = {});
    // Runs work in one transaction, taking the write lock at once: committed
    // when work returns, rolled back when it throws (and what it threw goes on).
    void InTransaction(const std::function<void()>& work);
    void Close();

  private:
    friend class Workspace;
    explicit Database(std::shared_ptr<Connection> c) : conn_(std::move(c)) {}
    Connection& Live();
    std::shared_ptr<Connection> conn_;
};

class Workspace {
  public:
    // Opens a catalogue file (a Windows or native path), shared and writable.
    Database OpenDatabase(const std::string& path);
};

class Engine {
  public:
    Workspace Workspaces(int index);
    Database OpenDatabase(const std::string& path);
};

extern Engine DBEngine;

} // namespace dao
