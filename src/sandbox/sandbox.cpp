#include "sandbox/sandbox.h"

#include <seccomp.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <initializer_list>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora::sandbox {

void limitResources(rlim_t cpuSeconds, rlim_t addressSpace)
{
    // A crash leaves no core file in the player's working directory.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit cpu{cpuSeconds, cpuSeconds == RLIM_INFINITY ? RLIM_INFINITY : cpuSeconds + 2};
    setrlimit(RLIMIT_CPU, &cpu);
#if !defined(__SANITIZE_ADDRESS__)
    const rlimit memory{addressSpace, addressSpace};
    setrlimit(RLIMIT_AS, &memory);
#else
    (void)addressSpace;
#endif
}

bool enter(bool noFiles)
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
                           SCMP_SYS(lchown), SCMP_SYS(utimensat), SCMP_SYS(setxattr), SCMP_SYS(lsetxattr),
                           SCMP_SYS(setrlimit), SCMP_SYS(prlimit64)})
        ok = ok && refuse(call);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizers start their symbolizer to report a fault.
    ok = ok && refuse(SCMP_SYS(execve)) && refuse(SCMP_SYS(execveat));
#endif
#if !defined(VELMORA_COVERAGE)
    // (A coverage build writes its counts at exit.)
    if (noFiles) {
        ok = ok && refuse(SCMP_SYS(open)) && refuse(SCMP_SYS(openat));
    } else {
        for (const scmp_datum_t flag : {scmp_datum_t(O_WRONLY), scmp_datum_t(O_RDWR), scmp_datum_t(O_CREAT),
                                        scmp_datum_t(O_TRUNC), scmp_datum_t(O_APPEND)}) {
            ok = ok && refuse(SCMP_SYS(open), {SCMP_A1(SCMP_CMP_MASKED_EQ, flag, flag)})
                && refuse(SCMP_SYS(openat), {SCMP_A2(SCMP_CMP_MASKED_EQ, flag, flag)});
        }
    }
#endif
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

int check(bool noFiles)
{
    if (!enter(noFiles)) {
        std::puts("no sandbox");
        return 1;
    }
    const int net = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int local = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int made = ::open("velmora-sandbox-check", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const int read = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::printf("network %s\nlocal socket %s\nnew file %s\nreading %s\n", net < 0 ? "refused" : "allowed",
                local < 0 ? "refused" : "allowed", made < 0 ? "refused" : "allowed", read < 0 ? "refused" : "allowed");
    // Now: a sanitizer's leak check at exit, shut out of the files it reads, ends the process early.
    std::fflush(stdout);
    return 0;
}

} // namespace velmora::sandbox
