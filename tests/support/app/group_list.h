// Groups in tests: adding one with its channels, and a group's channel list as a vector.
#pragma once

#include <QString>
#include <initializer_list>
#include <memory>
#include <vector>

#include "model/group.h"
#include "setup/setup.h"

namespace zeltest {

inline std::vector<int> channelsOf(const zelapp::group &g) {
    std::vector<int> list;
    for (int p = 1; p <= g.Count; ++p) {
        list.push_back(g.GetChannel(p));
    }
    return list;
}

// Appends a group numbered after the last one ("Group n") holding the channels in order.
inline zelapp::group &addGroup(zelapp::Setup &setup, std::initializer_list<int> channels) {
    auto g = std::make_unique<zelapp::group>();
    g->SetDefaults(setup.groupCount() + 1);
    for (int c : channels) {
        g->AddChannel(c);
    }
    return setup.addGroup(std::move(g));
}

inline zelapp::group &addGroup(zelapp::Setup &setup, const QString &description,
                               std::initializer_list<int> channels) {
    zelapp::group &g = addGroup(setup, channels);
    g.Description = description;
    return g;
}

}  // namespace zeltest
