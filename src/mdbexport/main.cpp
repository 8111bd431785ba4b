// velmora-mdb-export FILE TABLE...
//
// Reads the named tables of a Microsoft Access (Jet) file with libmdb and writes them to standard
// output in the form music/accesswire.h describes. Velmora runs it as a child process: libmdb
// follows the page pointers of files that may be damaged or hostile, and a crash or a hang here
// costs Velmora a message, not its own process.

#include "mdbexport/exporter.h"

#include <seccomp.h>

#include <cerrno>
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
using velmora::mdbexport::Output;
using velmora::mdbexport::problem;

namespace {

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
#if !defined(VELMORA_COVERAGE)
    // (A coverage build writes its counts at exit.)
    for (const scmp_datum_t flag : {scmp_datum_t(O_WRONLY), scmp_datum_t(O_RDWR), scmp_datum_t(O_CREAT),
                                    scmp_datum_t(O_TRUNC), scmp_datum_t(O_APPEND)}) {
        ok = ok && refuse(SCMP_SYS(open), {SCMP_A1(SCMP_CMP_MASKED_EQ, flag, flag)})
            && refuse(SCMP_SYS(openat), {SCMP_A2(SCMP_CMP_MASKED_EQ, flag, flag)});
    }
#endif
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
    return exportTables(data, argv + 2, argc - 2, out);
}
