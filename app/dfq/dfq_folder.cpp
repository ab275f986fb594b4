#include "dfq/dfq_folder.h"

namespace zelapp {

// Placeholder until the local folder is written.
std::unique_ptr<DfqFolder> localDfqFolder() {
    return nullptr;
}

}  // namespace zelapp
