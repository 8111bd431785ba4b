// velmora-mdb-export FILE TABLE...
//
// Reads the named tables of a Microsoft Access (Jet) file with libmdb and writes them to standard
// output in the form music/accesswire.h describes. Velmora runs it as a child process: libmdb
// follows the page pointers of files that may be damaged or hostile, and a crash or a hang here
// costs Velmora a message, not its own process.

#include "mdbexport/exporter.h"
#include "sandbox/sandbox.h"


#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
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

} // namespace

int main(int argc, char **argv)
{
    // A damaged chain of long values can make libmdb grow a buffer without end.
    velmora::sandbox::limitResources(rlim_t(wire::ReadTimeoutSeconds), rlim_t(1) << 30);
    if (argc == 2 && std::strcmp(argv[1], "--sandbox-check") == 0)
        return velmora::sandbox::check(false);
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
    // Once the file has been read, nothing this program does needs the network, a new file, a
    // change to any file or another program: a file made to exploit libmdb finds each refused.
    if (!velmora::sandbox::enter(false))
        return problem(out, "the Access reader cannot shut itself off from the network and from writing files.");
    return exportTables(data, argv + 2, argc - 2, out);
}
