// velmora-mdb-export FILE TABLE...
//
// Reads the named tables of a Microsoft Access (Jet) file with libmdb and writes them to standard
// output in the form music/accesswire.h describes. Velmora runs it as a child process: libmdb
// follows the page pointers of files that may be damaged or hostile, and a crash or a hang here
// costs Velmora a message, not its own process.

#include "music/accesswire.h"

// mdbtools.h includes glib inside extern "C", where glib's C++ parts cannot stand; glib first.
#include <glib.h>
#include <mdbtools.h>

#include <seccomp.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace wire = velmora::accesswire;

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

class Output
{
public:
    explicit Output(int fd) : m_fd(fd) {}

    void tag(wire::Tag tag) { m_buffer.push_back(char(tag)); }
    void cell(wire::Cell cell) { m_buffer.push_back(char(cell)); }
    void number(std::uint32_t n)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_buffer.push_back(char((n >> shift) & 0xff));
    }
    void text(const char *bytes, std::size_t length)
    {
        number(std::uint32_t(length));
        m_buffer.append(bytes, length);
        if (m_buffer.size() > 1 << 16)
            flush();
    }
    void text(const std::string &s) { text(s.data(), s.size()); }
    void raw(const char *s) { m_buffer.append(s); }

    bool flush()
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

private:
    int m_fd;
    std::string m_buffer;
};

int problem(Output &out, const std::string &reason)
{
    out.tag(wire::Problem);
    out.text(reason);
    return out.flush() ? 0 : 1;
}

bool readWhole(int fd, std::vector<char> &data)
{
    std::size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    data.resize(got);
    return true;
}

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

// Which fields of the row just fetched are NULL. libmdb's bound values cannot tell an empty text
// from a NULL one, so the row is cracked again for its null mask.
bool nullMask(MdbTableDef *table, std::vector<bool> &isNull)
{
    MdbHandle *mdb = table->entry->mdb;
    int start = 0;
    size_t length = 0;
    if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row - 1), &start, &length) != 0)
        return false;
    MdbField fields[256];
    if (mdb_crack_row(table, start & 0x1fff, length, fields) < 0)
        return false;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        isNull[i] = column->col_type != MDB_BOOL && fields[i].is_null;
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
        if (!nullMask(table, isNull)) {
            mdb_free_tabledef(table);
            return "a record of table \"" + name + "\" cannot be read; the file is damaged.";
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

void limitResources()
{
    // A crash leaves no core file in the player's working directory.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit cpu{rlim_t(wire::ReadTimeoutSeconds), rlim_t(wire::ReadTimeoutSeconds + 2)};
    setrlimit(RLIMIT_CPU, &cpu);
#if !defined(__SANITIZE_ADDRESS__)
    // A damaged chain of long values can make libmdb grow a buffer without end. (The address
    // sanitizer reserves more than this for itself.)
    const rlimit memory{rlim_t(1) << 30, rlim_t(1) << 30};
    setrlimit(RLIMIT_AS, &memory);
#endif
}

// Once the file has been read, nothing this program does needs the network, a new file, a change
// to any file or another program: a file made to exploit libmdb finds each refused (EPERM). The
// filter lets everything else through, so that the sanitizer builds' leak check (threads, ptrace,
// reading /proc) still runs at exit.
bool enterSandbox()
{
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter)
        return false;
    const auto refuse = [&](int call, std::initializer_list<scmp_arg_cmp> args = {}) {
        return seccomp_rule_add_array(filter, SCMP_ACT_ERRNO(EPERM), call, unsigned(args.size()), args.begin()) == 0;
    };
    bool ok = true;
    for (const int call : {SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect), SCMP_SYS(bind), SCMP_SYS(listen),
                           SCMP_SYS(creat), SCMP_SYS(mkdir), SCMP_SYS(mkdirat), SCMP_SYS(mknod), SCMP_SYS(mknodat),
                           SCMP_SYS(unlink), SCMP_SYS(unlinkat), SCMP_SYS(rmdir), SCMP_SYS(rename), SCMP_SYS(renameat),
                           SCMP_SYS(renameat2), SCMP_SYS(link), SCMP_SYS(linkat), SCMP_SYS(symlink), SCMP_SYS(symlinkat),
                           SCMP_SYS(truncate), SCMP_SYS(chmod), SCMP_SYS(fchmodat), SCMP_SYS(chown), SCMP_SYS(fchownat),
                           SCMP_SYS(lchown), SCMP_SYS(utimensat), SCMP_SYS(setxattr), SCMP_SYS(lsetxattr)})
        ok = ok && refuse(call);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizers start their symbolizer to report a fault.
    ok = ok && refuse(SCMP_SYS(execve)) && refuse(SCMP_SYS(execveat));
#endif
    for (const scmp_datum_t flag : {scmp_datum_t(O_WRONLY), scmp_datum_t(O_RDWR), scmp_datum_t(O_CREAT),
                                    scmp_datum_t(O_TRUNC), scmp_datum_t(O_APPEND)}) {
        ok = ok && refuse(SCMP_SYS(open), {SCMP_A1(SCMP_CMP_MASKED_EQ, flag, flag)})
            && refuse(SCMP_SYS(openat), {SCMP_A2(SCMP_CMP_MASKED_EQ, flag, flag)});
    }
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

// velmora-mdb-export --sandbox-check: what the sandbox leaves this program, for the tests.
int sandboxCheck()
{
    if (!enterSandbox()) {
        std::puts("no sandbox");
        return 1;
    }
    const int net = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int local = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int made = ::open("velmora-sandbox-check", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const int read = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::printf("network %s\nlocal socket %s\nnew file %s\nreading %s\n", net < 0 ? "refused" : "allowed",
                local < 0 ? "refused" : "allowed", made < 0 ? "refused" : "allowed", read < 0 ? "refused" : "allowed");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    limitResources();
    if (argc == 2 && std::strcmp(argv[1], "--sandbox-check") == 0)
        return sandboxCheck();
    // libmdb writes its warnings to standard output as well as standard error; only our stream
    // may reach the real one.
    const int answer = ::dup(STDOUT_FILENO);
    if (answer < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 1;
    Output out(answer);
    out.raw(wire::Magic);
    if (argc < 2) {
        std::fputs("usage: velmora-mdb-export FILE TABLE...\n", stderr);
        return 2;
    }

    const int fd = ::open(argv[1], O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return problem(out, std::string(std::strerror(errno)) + ".");
    if (!S_ISREG(st.st_mode))
        return problem(out, "it is not a regular file.");
    if (st.st_size > wire::LargestFile)
        return problem(out, "it is larger than 256 MB, far more than any music database needs.");
    // One read of the whole file: libmdb then works on a copy that no other program changes.
    std::vector<char> data(std::size_t(st.st_size));
    if (!readWhole(fd, data))
        return problem(out, std::string(std::strerror(errno)) + ".");
    ::close(fd);
    if (!enterSandbox())
        return problem(out, "the Access reader cannot shut itself off from the network and from writing files.");
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
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        return problem(out, "its list of tables (the system table MSysObjects) cannot be read; the file is damaged.");
    }
    for (int i = 2; i < argc; ++i) {
        MdbCatalogEntry *entry = findTable(mdb, argv[i]);
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
