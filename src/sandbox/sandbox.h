#pragma once

// What the programs that read a user's bytes for Velmora (the Access exporter, the synthesizer)
// do to themselves before and after they read them: plain C++ and libseccomp, no Qt.
#include <sys/resource.h>

namespace velmora::sandbox {

// No core file; at most `cpuSeconds` of processor (then SIGXCPU) and `addressSpace` bytes (the
// address sanitizer reserves more than any such limit, so its builds go without).
void limitResources(rlim_t cpuSeconds, rlim_t addressSpace);

// From here on: no network, no programs, and no file made, changed or removed; with `noFiles`, no
// file opened at all. The calls are refused (EPERM) rather than killing the process, so that the
// sanitizer builds' leak check still runs at exit. False when the filter cannot be loaded.
bool enter(bool noFiles);

// PROGRAM --sandbox-check: what the sandbox leaves a program, printed for the tests.
int check(bool noFiles);

} // namespace velmora::sandbox
