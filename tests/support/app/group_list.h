// A group's channel list as a vector, for comparing in tests.
#pragma once

#include <vector>

#include "model/group.h"

namespace zeltest {

inline std::vector<int> channelsOf(const zelapp::group &g) {
    std::vector<int> list;
    for (int p = 1; p <= g.Count; ++p) {
        list.push_back(g.GetChannel(p));
    }
    return list;
}

}  // namespace zeltest
