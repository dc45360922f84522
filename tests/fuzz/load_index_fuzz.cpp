// libFuzzer target for the index file reader: any bytes must either be rejected or give tables
// that every reader can walk safely, and that write back into a file the reader accepts.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "store/index_codec.h"

using namespace norvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<std::vector<VolumeTable>> tables = decode_index(std::span(data, size));
    if (!tables) return 0;
    for (const VolumeTable& table : *tables) {
        uint32_t limit = std::min<uint32_t>(table.size(), 4096);
        for (uint32_t i = 0; i < limit; ++i) {
            (void)table.full_path(i, true);
            (void)table.full_path(i, false);
            (void)table.children(i);
            (void)table.find_child(i, table.display_name(i));
        }
        (void)table.find_path(table.stored_name(table.size() - 1));
    }
    std::string again = encode_index(*tables);
    if (!decode_index(std::span(reinterpret_cast<const uint8_t*>(again.data()), again.size())))
        std::abort();  // what the reader accepted, written back, must be accepted too
    return 0;
}
