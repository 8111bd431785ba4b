// Any bytes as an Access file: the exporter's answer or its reason, never a fault of its own.
#include "mdbexport/exporter.h"

#include <cstdint>
#include <fcntl.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const int discard = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    static const char *const tables[] = {"Ladders", "chort-sort", "Intervallen"};
    std::vector<char> bytes(data, data + size);
    velmora::mdbexport::Output out(discard);
    velmora::mdbexport::exportTables(bytes, tables, 3, out);
    return 0;
}
