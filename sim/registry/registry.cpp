#include "sim/registry/registry.h"

#include <chrono>
#include <thread>

#include <sqlite3.h>

#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "sim/registry/regfile.h"
#include "win/registry.h"

namespace sim::registry {
namespace {

constexpr DWORD ERROR_LOCK_VIOLATION = 33;   // the hive stayed busy past the timeout
constexpr int kBusyTimeoutMs = 10000;
constexpr size_t kMaxNameLength = 255;       // key names, as Windows limits them
constexpr size_t kMaxDepth = 512;            // key nesting, likewise
constexpr sqlite3_int64 kRootKey = 1;

// Key and value names compare as Windows compares them: without regard to letter case. Folding
// covers ASCII, Latin-1, Greek and Cyrillic letters, which is what registry names use in practice.
char32_t foldCodePoint(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 32;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c == 0x3C2) return 0x3C3;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

std::string fold(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += char(b >= 'A' && b <= 'Z' ? b + 32 : b);
            ++i;
            continue;
        }
        // Two-byte sequences hold every letter folded above; anything else is copied.
        if ((b & 0xE0) == 0xC0 && i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
            char32_t c = ((b & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            char32_t f = foldCodePoint(c);
            if (f >= 0x80 && f < 0x800) {
                out += char(0xC0 | (f >> 6));
                out += char(0x80 | (f & 0x3F));
                i += 2;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

struct HiveDb {
    sqlite3* db = nullptr;
    int txDepth = 0;
    std::map<std::string, sqlite3_stmt*> statements;
};

struct Handle {
    int hive;
    sqlite3_int64 key;
    REGSAM sam;
};

struct State {
    std::mutex mutex;
    HiveDb hives[2];
    bool open = false;
    std::filesystem::path root;
    std::unordered_map<std::uintptr_t, Handle> handles;
    std::uintptr_t nextHandle = 0x1000;   // never reused, so a closed handle stays invalid
};

State& state() {
    static State s;
    return s;
}

// ---- SQLite plumbing ----------------------------------------------------------------------------

class Query {
public:
    Query(HiveDb& hive, const char* sql) {
        auto it = hive.statements.find(sql);
        if (it == hive.statements.end()) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(hive.db, sql, -1, &st, nullptr) != SQLITE_OK) st = nullptr;
            it = hive.statements.emplace(sql, st).first;
        }
        st_ = it->second;
    }
    ~Query() {
        if (st_) {
            sqlite3_reset(st_);
            sqlite3_clear_bindings(st_);
        }
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int i, sqlite3_int64 v) {
        if (st_) sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    Query& bind(int i, std::string_view s) {
        if (st_) sqlite3_bind_text(st_, i, s.data(), int(s.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Query& bindData(int i, const BYTE* data, DWORD size) {
        if (!st_) return *this;
        // A string with exactly one terminating zero is kept as text, so that the hive files read
        // naturally in any SQLite browser; everything else is kept as the bytes given.
        if (size > 0 && data[size - 1] == 0 && std::memchr(data, 0, size - 1) == nullptr) {
            sqlite3_bind_text(st_, i, reinterpret_cast<const char*>(data), int(size - 1), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_blob(st_, i, size ? data : reinterpret_cast<const BYTE*>(""), int(size), SQLITE_TRANSIENT);
        }
        return *this;
    }
    bool step() { return st_ && sqlite3_step(st_) == SQLITE_ROW; }
    bool run() {
        if (!st_) return false;
        int rc = sqlite3_step(st_);
        return rc == SQLITE_DONE || rc == SQLITE_ROW;
    }
    sqlite3_int64 integer(int col) const { return sqlite3_column_int64(st_, col); }
    std::string text(int col) const {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, col));
        return p ? std::string(p, size_t(sqlite3_column_bytes(st_, col))) : std::string();
    }
    std::vector<BYTE> data(int col) const {
        const bool isText = sqlite3_column_type(st_, col) == SQLITE_TEXT;
        const BYTE* p = static_cast<const BYTE*>(isText ? static_cast<const void*>(sqlite3_column_text(st_, col))
                                                        : sqlite3_column_blob(st_, col));
        size_t n = size_t(sqlite3_column_bytes(st_, col));
        std::vector<BYTE> out(p, p + (p ? n : 0));
        if (isText) out.push_back(0);
        return out;
    }

private:
    sqlite3_stmt* st_ = nullptr;
};

bool exec(HiveDb& hive, const char* sql) {
    return sqlite3_exec(hive.db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Nested use joins the outer transaction; the outermost commits. IMMEDIATE takes the write lock at
// once, so two processes writing one hive queue up (busy timeout) instead of failing mid-way.
class Transaction {
public:
    explicit Transaction(HiveDb& hive) : hive_(hive) {
        ok_ = hive_.txDepth > 0 || exec(hive_, "BEGIN IMMEDIATE");
        if (ok_) ++hive_.txDepth;
    }
    ~Transaction() {
        if (!ok_) return;
        if (--hive_.txDepth == 0) exec(hive_, committed_ ? "COMMIT" : "ROLLBACK");
    }
    bool ok() const { return ok_; }
    void commit() { committed_ = true; }

private:
    HiveDb& hive_;
    bool ok_ = false;
    bool committed_ = false;
};

void closeHive(HiveDb& hive) {
    for (auto& [sql, st] : hive.statements) sqlite3_finalize(st);
    hive.statements.clear();
    if (hive.db) sqlite3_close_v2(hive.db);
    hive.db = nullptr;
    hive.txDepth = 0;
}

bool openHive(HiveDb& hive, const std::string& file, std::string* error) {
    if (sqlite3_open_v2(file.c_str(), &hive.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        if (error) *error = file + ": " + (hive.db ? sqlite3_errmsg(hive.db) : "cannot open");
        closeHive(hive);
        return false;
    }
    sqlite3_busy_timeout(hive.db, kBusyTimeoutMs);
    const char* setup =
        "PRAGMA journal_mode=WAL;"
        "PRAGMA synchronous=NORMAL;"
        "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER,"
        "  name TEXT NOT NULL, fold TEXT NOT NULL, UNIQUE(parent, fold));"
        "CREATE TABLE IF NOT EXISTS vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
        "  name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL, data, UNIQUE(key, fold));"
        "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES(1, NULL, '', '');";
    char* msg = nullptr;
    // Switching the journal mode is refused, not waited for, while another process sets the same
    // file up: try again for a while.
    int rc = SQLITE_BUSY;
    for (int attempt = 0; attempt < 200; ++attempt) {
        rc = sqlite3_exec(hive.db, setup, nullptr, nullptr, &msg);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
        sqlite3_free(msg);
        msg = nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (rc != SQLITE_OK) {
        if (error) *error = file + ": " + (msg ? msg : "cannot set up");
        sqlite3_free(msg);
        closeHive(hive);
        return false;
    }
    return true;
}

void closeLocked(State& s) {
    for (auto& h : s.hives) closeHive(h);
    s.handles.clear();
    s.open = false;
    s.root.clear();
}

void openInMemoryLocked(State& s) {
    closeLocked(s);
    // Each hive its own private in-memory database.
    openHive(s.hives[0], ":memory:", nullptr);
    openHive(s.hives[1], ":memory:", nullptr);
    s.open = true;
}

State& ready() {
    State& s = state();
    if (!s.open) openInMemoryLocked(s);
    return s;
}

// ---- Keys and values ------------------------------------------------------------------------------

bool keyExists(HiveDb& h, sqlite3_int64 id) {
    Query q(h, "SELECT 1 FROM keys WHERE id=?");
    return q.bind(1, id).step();
}

sqlite3_int64 findChild(HiveDb& h, sqlite3_int64 parent, std::string_view name) {
    Query q(h, "SELECT id FROM keys WHERE parent=? AND fold=?");
    return q.bind(1, parent).bind(2, fold(name)).step() ? q.integer(0) : 0;
}

std::string keyName(HiveDb& h, sqlite3_int64 id) {
    Query q(h, "SELECT name FROM keys WHERE id=?");
    return q.bind(1, id).step() ? q.text(0) : std::string();
}

LONG splitPath(std::string_view path, std::vector<std::string>* segments) {
    segments->clear();
    if (path.empty()) return ERROR_SUCCESS;
    if (path.front() == '\\') return ERROR_BAD_PATHNAME;
    if (path.back() == '\\') path.remove_suffix(1);
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end == start) return ERROR_BAD_PATHNAME;
        if (end - start > kMaxNameLength) return ERROR_INVALID_PARAMETER;
        segments->emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return segments->size() > kMaxDepth ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

// The handle's hive and key; predefined roots have every right.
LONG resolve(State& s, HKEY key, Handle* out) {
    const auto v = reinterpret_cast<std::uintptr_t>(key);
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
        *out = {key == HKEY_CURRENT_USER ? 0 : 1, kRootKey, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    auto it = s.handles.find(v);
    if (it == s.handles.end()) return ERROR_INVALID_HANDLE;
    *out = it->second;
    return keyExists(s.hives[out->hive], out->key) ? ERROR_SUCCESS : LONG(ERROR_KEY_DELETED);
}

HKEY newHandle(State& s, int hive, sqlite3_int64 key, REGSAM sam) {
    std::uintptr_t v = s.nextHandle;
    s.nextHandle += 4;
    s.handles[v] = {hive, key, sam};
    return reinterpret_cast<HKEY>(v);
}

// Walks to (and when asked creates) the key below start. 0 when it does not exist.
sqlite3_int64 walk(HiveDb& h, sqlite3_int64 start, const std::vector<std::string>& segments, bool create,
                   bool* created = nullptr) {
    sqlite3_int64 id = start;
    for (const auto& seg : segments) {
        sqlite3_int64 child = findChild(h, id, seg);
        if (!child) {
            if (!create) return 0;
            Query q(h, "INSERT INTO keys(parent, name, fold) VALUES(?,?,?)");
            if (!q.bind(1, id).bind(2, seg).bind(3, fold(seg)).run()) return 0;
            child = sqlite3_last_insert_rowid(h.db);
            if (created) *created = true;
        }
        id = child;
    }
    return id;
}

bool setValue(HiveDb& h, sqlite3_int64 key, std::string_view name, DWORD type, const BYTE* data, DWORD size) {
    // The first spelling of a value name is kept, as Windows keeps it.
    Query q(h,
            "INSERT INTO vals(key, name, fold, type, data) VALUES(?,?,?,?,?)"
            " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data");
    return q.bind(1, key).bind(2, name).bind(3, fold(name)).bind(4, sqlite3_int64(type)).bindData(5, data, size).run();
}

bool deleteValue(HiveDb& h, sqlite3_int64 key, std::string_view name) {
    Query q(h, "DELETE FROM vals WHERE key=? AND fold=?");
    q.bind(1, key).bind(2, fold(name)).run();
    return sqlite3_changes(h.db) > 0;
}

void deleteTree(HiveDb& h, sqlite3_int64 key) {
    std::vector<sqlite3_int64> children;
    {
        Query q(h, "SELECT id FROM keys WHERE parent=?");
        q.bind(1, key);
        while (q.step()) children.push_back(q.integer(0));
    }
    for (auto c : children) deleteTree(h, c);
    Query(h, "DELETE FROM vals WHERE key=?").bind(1, key).run();
    if (key != kRootKey) Query(h, "DELETE FROM keys WHERE id=?").bind(1, key).run();
}

// ---- .reg export ------------------------------------------------------------------------------------

void exportKey(HiveDb& h, Hive hive, sqlite3_int64 key, const std::string& path, std::string& out) {
    std::string values;
    {
        Query q(h, "SELECT name, type, data FROM vals WHERE key=? ORDER BY id");
        q.bind(1, key);
        while (q.step()) values += formatRegValue(q.text(0), DWORD(q.integer(1)), q.data(2));
    }
    if (key != kRootKey || !values.empty()) {
        out += formatRegKey(hive, path);
        out += values;
        out += kRegEol;
    }
    std::vector<std::pair<sqlite3_int64, std::string>> children;
    {
        Query q(h, "SELECT id, name FROM keys WHERE parent=? ORDER BY fold, name");
        q.bind(1, key);
        while (q.step()) children.emplace_back(q.integer(0), q.text(1));
    }
    for (auto& [id, name] : children) exportKey(h, hive, id, path.empty() ? name : path + "\\" + name, out);
}

}  // namespace

// ---- The simulator's own API ----------------------------------------------------------------------

bool open(const std::filesystem::path& root, std::string* error) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    closeLocked(s);
    std::error_code ec;
    const auto folder = root / "registry";
    std::filesystem::create_directories(folder, ec);
    // Another process may create the folder at the same moment.
    if (ec && std::filesystem::is_directory(folder)) ec.clear();
    if (ec) {
        if (error) *error = folder.string() + ": " + ec.message();
        return false;
    }
    if (!openHive(s.hives[0], (folder / "HKCU.sqlite").string(), error) ||
        !openHive(s.hives[1], (folder / "HKLM.sqlite").string(), error)) {
        closeLocked(s);
        return false;
    }
    s.open = true;
    s.root = root;
    return true;
}

void openInMemory() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    openInMemoryLocked(s);
}

void close() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    closeLocked(s);
}

std::filesystem::path root() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.root;
}

std::optional<std::string> exportReg(std::string_view keyPath) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    std::string out = std::string(kRegHeader) + kRegEol + kRegEol;
    if (keyPath.empty()) {
        exportKey(s.hives[1], Hive::LocalMachine, kRootKey, "", out);
        exportKey(s.hives[0], Hive::CurrentUser, kRootKey, "", out);
        return out;
    }
    Hive hive;
    size_t slash = keyPath.find('\\');
    if (!parseHiveName(keyPath.substr(0, slash), &hive)) return std::nullopt;
    std::vector<std::string> segments;
    if (slash != std::string_view::npos && splitPath(keyPath.substr(slash + 1), &segments) != ERROR_SUCCESS)
        return std::nullopt;
    HiveDb& h = s.hives[hive == Hive::CurrentUser ? 0 : 1];
    // The key's own spelling, not the caller's.
    std::string path;
    sqlite3_int64 id = kRootKey;
    for (const auto& seg : segments) {
        id = findChild(h, id, seg);
        if (!id) return std::nullopt;
        if (!path.empty()) path += '\\';
        path += keyName(h, id);
    }
    exportKey(h, hive, id, path, out);
    return out;
}

ImportResult importReg(std::string_view text) {
    RegParse parsed = parseRegText(text);
    ImportResult result;
    result.errors = std::move(parsed.errors);
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Transaction tx0(s.hives[0]), tx1(s.hives[1]);
    if (!tx0.ok() || !tx1.ok()) {
        result.errors.push_back("the registry is busy; nothing imported");
        return result;
    }
    std::vector<std::string> segments;
    for (const RegOp& op : parsed.ops) {
        HiveDb& h = s.hives[op.hive == Hive::CurrentUser ? 0 : 1];
        if (splitPath(op.path, &segments) != ERROR_SUCCESS) {
            result.errors.push_back("line " + std::to_string(op.line) + ": bad key path");
            continue;
        }
        switch (op.kind) {
        case RegOp::CreateKey:
            walk(h, kRootKey, segments, true);
            ++result.keys;
            break;
        case RegOp::DeleteKey:
            if (auto id = walk(h, kRootKey, segments, false)) deleteTree(h, id);
            ++result.keys;
            break;
        case RegOp::SetValue:
            if (op.name.size() > 16383) {
                result.errors.push_back("line " + std::to_string(op.line) + ": value name too long");
                break;
            }
            setValue(h, walk(h, kRootKey, segments, true), op.name, op.type, op.data.data(), DWORD(op.data.size()));
            ++result.values;
            break;
        case RegOp::DeleteValue:
            if (auto id = walk(h, kRootKey, segments, false)) deleteValue(h, id, op.name);
            ++result.values;
            break;
        }
    }
    tx0.commit();
    tx1.commit();
    return result;
}

}  // namespace sim::registry

// ---- The boundary functions -----------------------------------------------------------------------

using namespace sim::registry;

LONG RegOpenKeyEx(HKEY root, const std::string& subKey, DWORD, REGSAM sam, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle parent;
    if (LONG rc = resolve(s, root, &parent)) return rc;
    std::vector<std::string> segments;
    if (LONG rc = splitPath(subKey, &segments)) return rc;
    sqlite3_int64 id = walk(s.hives[parent.hive], parent.key, segments, false);
    if (!id) return ERROR_FILE_NOT_FOUND;
    *result = newHandle(s, parent.hive, id, sam);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY root, const std::string& subKey, REGSAM sam, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle parent;
    if (LONG rc = resolve(s, root, &parent)) return rc;
    std::vector<std::string> segments;
    if (LONG rc = splitPath(subKey, &segments)) return rc;
    HiveDb& h = s.hives[parent.hive];
    Transaction tx(h);
    if (!tx.ok()) return ERROR_LOCK_VIOLATION;
    sqlite3_int64 id = walk(h, parent.key, segments, false);
    if (!id) {
        if (!(parent.sam & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        id = walk(h, parent.key, segments, true);
        if (!id) return ERROR_ACCESS_DENIED;
    }
    tx.commit();
    *result = newHandle(s, parent.hive, id, sam);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.handles.erase(reinterpret_cast<std::uintptr_t>(key)) ? LONG(ERROR_SUCCESS) : LONG(ERROR_INVALID_HANDLE);
}

LONG RegQueryValueEx(HKEY key, const std::string& valueName, DWORD* type, BYTE* data, DWORD* cbData) {
    if (data && !cbData) return ERROR_INVALID_PARAMETER;
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle hk;
    if (LONG rc = resolve(s, key, &hk)) return rc;
    if (!(hk.sam & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Query q(s.hives[hk.hive], "SELECT type, data FROM vals WHERE key=? AND fold=?");
    if (!q.bind(1, hk.key).bind(2, fold(valueName)).step()) return ERROR_FILE_NOT_FOUND;
    const std::vector<BYTE> bytes = q.data(1);
    if (type) *type = DWORD(q.integer(0));
    const DWORD size = DWORD(bytes.size());
    if (data) {
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        if (size) std::memcpy(data, bytes.data(), size);
    }
    if (cbData) *cbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const std::string& valueName, DWORD type, const BYTE* data, DWORD cbData) {
    if (!data && cbData) return ERROR_INVALID_PARAMETER;
    if (valueName.size() > 16383) return ERROR_INVALID_PARAMETER;
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle hk;
    if (LONG rc = resolve(s, key, &hk)) return rc;
    if (!(hk.sam & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    HiveDb& h = s.hives[hk.hive];
    Transaction tx(h);
    if (!tx.ok()) return ERROR_LOCK_VIOLATION;
    if (!setValue(h, hk.key, valueName, type, data, cbData)) return ERROR_ACCESS_DENIED;
    tx.commit();
    return ERROR_SUCCESS;
}

LONG RegDeleteValue(HKEY key, const std::string& valueName) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle hk;
    if (LONG rc = resolve(s, key, &hk)) return rc;
    if (!(hk.sam & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    HiveDb& h = s.hives[hk.hive];
    Transaction tx(h);
    if (!tx.ok()) return ERROR_LOCK_VIOLATION;
    if (!deleteValue(h, hk.key, valueName)) return ERROR_FILE_NOT_FOUND;
    tx.commit();
    return ERROR_SUCCESS;
}

LONG RegDeleteKey(HKEY root, const std::string& subKey) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle parent;
    if (LONG rc = resolve(s, root, &parent)) return rc;
    std::vector<std::string> segments;
    if (LONG rc = splitPath(subKey, &segments)) return rc;
    HiveDb& h = s.hives[parent.hive];
    Transaction tx(h);
    if (!tx.ok()) return ERROR_LOCK_VIOLATION;
    sqlite3_int64 id = walk(h, parent.key, segments, false);
    if (!id) return ERROR_FILE_NOT_FOUND;
    if (id == kRootKey) return ERROR_ACCESS_DENIED;
    // As on Windows, a key with subkeys is not deleted.
    if (Query(h, "SELECT 1 FROM keys WHERE parent=? LIMIT 1").bind(1, id).step()) return ERROR_ACCESS_DENIED;
    deleteTree(h, id);
    tx.commit();
    return ERROR_SUCCESS;
}

LONG RegEnumKeyEx(HKEY key, DWORD index, std::string* name) {
    if (!name) return ERROR_INVALID_PARAMETER;
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle hk;
    if (LONG rc = resolve(s, key, &hk)) return rc;
    if (!(hk.sam & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    Query q(s.hives[hk.hive], "SELECT name FROM keys WHERE parent=? ORDER BY fold, name LIMIT 1 OFFSET ?");
    if (!q.bind(1, hk.key).bind(2, sqlite3_int64(index)).step()) return ERROR_NO_MORE_ITEMS;
    *name = q.text(0);
    return ERROR_SUCCESS;
}

LONG RegEnumValue(HKEY key, DWORD index, std::string* name, DWORD* type) {
    if (!name) return ERROR_INVALID_PARAMETER;
    State& s = state();
    std::lock_guard lock(s.mutex);
    ready();
    Handle hk;
    if (LONG rc = resolve(s, key, &hk)) return rc;
    if (!(hk.sam & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Query q(s.hives[hk.hive], "SELECT name, type FROM vals WHERE key=? ORDER BY id LIMIT 1 OFFSET ?");
    if (!q.bind(1, hk.key).bind(2, sqlite3_int64(index)).step()) return ERROR_NO_MORE_ITEMS;
    *name = q.text(0);
    if (type) *type = DWORD(q.integer(1));
    return ERROR_SUCCESS;
}
