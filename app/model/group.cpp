#include "model/group.h"

#include "base/runtime_text.h"

namespace zelapp {

void group::AddChannel(int channel) {
    if (Count < 0) {
        Count = 0;
    }
    channels_.resize(Count + 1);
    channels_.push_back(channel);
    ++Count;
}

void group::RemoveChannel(int position) {
    if (Count == 0 || position < 1 || position > Count) {
        return;
    }
    channels_.resize(Count + 1);
    channels_.erase(channels_.begin() + position);
    --Count;
}

void group::SetDefaults(int n) {
    Index = n;
    Description = QStringLiteral("Group ") + rt::signedNumber(n);
}

int group::GetChannel(int position) const {
    if (position < 1 || position > Count || position >= static_cast<int>(channels_.size())) {
        return 0;
    }
    return channels_[position];
}

}  // namespace zelapp
