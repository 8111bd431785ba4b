#include "mdbexport/exporter.h"

// mdbtools.h includes glib inside extern "C", where glib's C++ parts cannot stand; glib first.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <unistd.h>
#include <utility>

namespace velmora::mdbexport {

namespace wire = accesswire;

namespace {

// Access tables hold at most 255 fields; libmdb cracks a row into a fixed array of 256.
constexpr unsigned LargestFieldCount = 255;

// The file as read, and its page size: 2 KB in Jet 3 (Access 97), 4 KB in Jet 4 (2000-2003).
struct File
{
    std::size_t size = 0;
    std::size_t pageSize = wire::Jet4PageSize;
    // libmdb reads a page past the end of the file as zeros, or keeps the page it read before;
    // whatever it then finds there must not pass for data.
    bool holdsPage(unsigned long page) const { return page > 0 && page < size / pageSize; }
};

MdbCatalogEntry *findTable(MdbHandle *mdb, const char *name)
{
    // As SQLite finds a table: the first of that name, ASCII letters in either case.
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (mdb_is_user_table(entry) && g_ascii_strcasecmp(entry->object_name, name) == 0)
            return entry;
    }
    return nullptr;
}

// Whether a Jet text's stored bytes hold a NUL character, at which libmdb's text ends without a
// word. A Jet 4 text compressed (marked 0xFF 0xFE) changes mode at each zero byte, so it cannot
// hold one.
bool nulIn(MdbHandle *mdb, const unsigned char *bytes, std::size_t size)
{
    if (IS_JET3(mdb))
        return std::memchr(bytes, 0, size) != nullptr;
    if (size >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe)
        return false;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            return true;
    }
    return false;
}

// A field's stored bytes in the page libmdb read, or none where a damaged row points them outside it.
std::pair<const unsigned char *, std::size_t> storedBytes(MdbHandle *mdb, const MdbField &field)
{
    const auto *bytes = static_cast<const unsigned char *>(field.value);
    const std::size_t size = field.siz > 0 ? std::size_t(field.siz) : 0;
    if (!bytes || bytes < mdb->pg_buf || bytes + size > mdb->pg_buf + sizeof mdb->pg_buf)
        return {nullptr, 0};
    return {bytes, size};
}

// The same for a text field of the row in the page.
bool holdsNul(MdbHandle *mdb, const MdbField &field)
{
    const auto [bytes, size] = storedBytes(mdb, field);
    return bytes && nulIn(mdb, bytes, size);
}

// The same for a memo field, whose value follows its 12-byte header in the row, or lies on LVAL
// pages: one row, or a chain of rows each led by the next one's place. Only what a value under
// the size read at all can hold is looked at; a longer one is refused for its size.
bool memoHoldsNul(MdbHandle *mdb, const MdbField &field)
{
    constexpr std::size_t Header = 12, Longest = 4 * MDB_BIND_SIZE;
    const auto [bytes, size] = storedBytes(mdb, field);
    if (!bytes || size < Header)
        return false;
    const auto le32 = [](const unsigned char *p) {
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    };
    const std::uint32_t flags = le32(bytes) & 0xc0000000u;
    if (flags & 0x80000000u)
        return nulIn(mdb, bytes + Header, size - Header);
    std::string value;
    int next = int(le32(bytes + 4));
    for (int piece = 0; next != 0 && value.size() < Longest && piece < 1024; ++piece) {
        void *page = nullptr;
        int offset = 0;
        std::size_t length = 0;
        // libmdb hands over the row's place unchecked: it must lie inside the page it read.
        if (mdb_find_pg_row(mdb, next, &page, &offset, &length) != 0 || offset < 0 || length > sizeof mdb->alt_pg_buf
            || std::size_t(offset) > sizeof mdb->alt_pg_buf - length)
            break;
        const auto *row = static_cast<const unsigned char *>(page) + offset;
        if (flags & 0x40000000u) { // the whole value in one row
            value.append(reinterpret_cast<const char *>(row), length);
            break;
        }
        if (length < 4)
            break;
        value.append(reinterpret_cast<const char *>(row) + 4, length - 4);
        next = int(le32(row));
    }
    return nulIn(mdb, reinterpret_cast<const unsigned char *>(value.data()), value.size());
}

// The row just fetched, cracked again: libmdb's bound values cannot tell an empty text from a NULL
// one, nor show a NUL inside a text. Gives which fields are NULL and the first text field holding
// a NUL character (-1: none).
bool crackRow(MdbTableDef *table, std::vector<bool> &isNull, int &withNul)
{
    MdbHandle *mdb = table->entry->mdb;
    int start = 0;
    size_t length = 0;
    if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row - 1), &start, &length) != 0)
        return false;
    MdbField fields[256];
    if (mdb_crack_row(table, start & 0x1fff, length, fields) < 0)
        return false;
    withNul = -1;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        isNull[i] = column->col_type != MDB_BOOL && fields[i].is_null;
        if (withNul < 0 && !isNull[i]
            && ((column->col_type == MDB_TEXT && holdsNul(mdb, fields[i]))
                || (column->col_type == MDB_MEMO && memoHoldsNul(mdb, fields[i]))))
            withNul = int(i);
    }
    return true;
}

// Writes one table; returns why it cannot be read, or nothing.
std::string exportTable(Output &out, MdbCatalogEntry *entry, const File &file)
{
    const std::string name = entry->object_name;
    if (!file.holdsPage(entry->table_pg))
        return "the definition of table \"" + name + "\" lies outside the file; the file is damaged or cut short.";
    MdbTableDef *table = mdb_read_table(entry);
    if (!table)
        return "the definition of table \"" + name + "\" cannot be read; the file is damaged.";
    if (const unsigned claimed = table->num_cols; claimed > LargestFieldCount) {
        mdb_free_tabledef(table);
        return "table \"" + name + "\" claims " + std::to_string(claimed) + " fields, more than Access allows; the file is damaged.";
    }
    // libmdb walks the pages a table's usage map names, and has no map when the map's page was
    // not there to read; its list of fields may stop short of the count the definition claims.
    if (!table->usage_map || !mdb_read_columns(table) || !table->columns || table->columns->len != table->num_cols) {
        mdb_free_tabledef(table);
        return "the definition of table \"" + name + "\" cannot be read whole; the file is damaged.";
    }
    const unsigned count = table->num_cols;
    std::vector<std::vector<char>> values(count, std::vector<char>(MDB_BIND_SIZE + 1));
    std::vector<int> lengths(count);
    out.tag(wire::Table);
    out.text(name);
    out.number(count);
    for (unsigned i = 0; i < count; ++i) {
        auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        out.text(column->name, std::strlen(column->name));
        mdb_bind_column(table, int(i) + 1, values[i].data(), &lengths[i]);
    }
    std::vector<bool> isNull(count);
    unsigned rows = 0;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        if (!file.holdsPage(table->cur_phys_pg)) {
            mdb_free_tabledef(table);
            return "records of table \"" + name + "\" lie outside the file; the file is damaged or cut short.";
        }
        // More records than the definition claims come from damage (a row offset pointing into
        // another record, say), not from data: none of them is passed on.
        if (++rows > table->num_rows) {
            const unsigned claimed = table->num_rows;
            mdb_free_tabledef(table);
            return "table \"" + name + "\" should hold " + std::to_string(claimed)
                + " records, and more can be read; the file is damaged.";
        }
        int withNul = -1;
        if (!crackRow(table, isNull, withNul)) {
            mdb_free_tabledef(table);
            return "a record of table \"" + name + "\" cannot be read; the file is damaged.";
        }
        if (withNul >= 0) {
            const std::string field = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, unsigned(withNul)))->name;
            mdb_free_tabledef(table);
            return wire::nulInText(name, field);
        }
        // libmdb hands a value over in MDB_BIND_SIZE bytes and cuts a longer one without a word:
        // a memo that fills them is reported, never read short.
        for (unsigned i = 0; i < count; ++i) {
            const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
            if (column->col_type == MDB_MEMO && !isNull[i] && lengths[i] + 1 >= MDB_BIND_SIZE) {
                const std::string field = column->name;
                mdb_free_tabledef(table);
                return "table \"" + name + "\": field \"" + field + "\" holds a memo of "
                    + std::to_string(MDB_BIND_SIZE / 1024) + " KB or more, longer than Velmora reads.";
            }
        }
        out.tag(wire::Row);
        for (unsigned i = 0; i < count; ++i) {
            // A long binary (OLE) value is no text; it reads as no value.
            auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
            if (isNull[i] || column->col_type == MDB_OLE) {
                out.cell(wire::Null);
                continue;
            }
            out.cell(wire::Value);
            const std::size_t length = std::min<std::size_t>(std::size_t(std::max(lengths[i], 0)), MDB_BIND_SIZE);
            out.text(values[i].data(), ::strnlen(values[i].data(), length));
        }
    }
    const unsigned claimed = table->num_rows;
    mdb_free_tabledef(table);
    // A page missing from the middle of a table ends libmdb's reading early, without a word.
    if (rows < claimed) {
        return "table \"" + name + "\" should hold " + std::to_string(claimed) + " records, and only "
            + std::to_string(rows) + " can be read; the file is damaged or cut short.";
    }
    out.tag(wire::TableEnd);
    return {};
}

} // namespace

bool Output::flush()
{
    const char *p = m_buffer.data();
    std::size_t left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= std::size_t(n);
    }
    m_buffer.clear();
    return true;
}

int problem(Output &out, const std::string &reason)
{
    out.tag(wire::Problem);
    out.text(reason);
    return out.flush() ? 0 : 1;
}

int exportTables(std::vector<char> &data, const char *const *tables, int count, Output &out)
{
    if (data.size() <= wire::VersionOffset || (data[wire::VersionOffset] != 0 && data[wire::VersionOffset] != 1))
        return problem(out, "it is not an Access 97 or Access 2000-2003 (Jet 3 or Jet 4) database.");
    const File jet{data.size(), std::size_t(data[wire::VersionOffset] == 0 ? wire::Jet3PageSize : wire::Jet4PageSize)};
    if (jet.size % jet.pageSize != 0 || jet.size < 3 * jet.pageSize) {
        return problem(out, "it is cut short: an Access file is a whole number of " + std::to_string(jet.pageSize / 1024)
                                + " KB pages; the file is damaged.");
    }

    MdbHandle *mdb = mdb_open_buffer(data.data(), data.size(), MDB_NOFLAGS);
    if (!mdb)
        return problem(out, "libmdb cannot open it as an Access database; the file is damaged or cut short.");
    // Encrypted pages are another format in effect, one no test of ours can make: said, not tried.
    if (mdb->f->db_key != 0) {
        mdb_close(mdb);
        return problem(out, "it is encrypted (Access's \"Encrypt Database\"), and Velmora reads only files that are not: "
                            "decrypt it in Access first.");
    }
    // libmdb reads its list of tables without looking at the list's own usage map, and follows a
    // map that is not there: the list is looked at first, as a table of ours is.
    MdbCatalogEntry catalog{};
    catalog.mdb = mdb;
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = 2;
    std::snprintf(catalog.object_name, sizeof catalog.object_name, "MSysObjects");
    MdbTableDef *list = jet.holdsPage(catalog.table_pg) ? mdb_read_table(&catalog) : nullptr;
    const bool listReadable = list && list->usage_map && list->map_sz > 0;
    if (list)
        mdb_free_tabledef(list);
    if (!listReadable || !mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        return problem(out, "its list of tables (the system table MSysObjects) cannot be read; the file is damaged.");
    }
    for (int i = 0; i < count; ++i) {
        MdbCatalogEntry *entry = findTable(mdb, tables[i]);
        if (!entry)
            continue;
        const std::string reason = exportTable(out, entry, jet);
        if (!reason.empty()) {
            mdb_close(mdb);
            return problem(out, reason);
        }
        if (!out.flush()) {
            mdb_close(mdb);
            return 1;
        }
    }
    mdb_close(mdb);
    out.tag(wire::End);
    return out.flush() ? 0 : 1;
}

} // namespace velmora::mdbexport
