#include "index/volumes.h"

namespace norvik {

std::vector<std::string> list_volumes() {
    return {};
}

}  // namespace norvik
