#include "setup/setup.h"

#include <algorithm>

namespace zelapp {

namespace {
template <typename T>
T *at(const std::vector<std::unique_ptr<T>> &items, int i) {
    if (i < 1 || i > static_cast<int>(items.size())) {
        return nullptr;
    }
    return items[i - 1].get();
}
}  // namespace

Setup::Setup(const ModelContext &context, AppState &state, ChannelLabels &labels,
             CurrentItems &currentItems, MainWindowPort &mainWindow)
    : context_(context),
      state_(state),
      labels_(labels),
      currentItems_(currentItems),
      mainWindow_(mainWindow) {}

Channel *Setup::channel(int i) const {
    return at(channels_, i);
}
Lvdt *Setup::lvdt(int i) const {
    return at(lvdts_, i);
}
analog *Setup::analogInput(int i) const {
    return at(analogs_, i);
}
group *Setup::groupAt(int i) const {
    return at(groups_, i);
}

group &Setup::addGroup(std::unique_ptr<group> g) {
    groups_.push_back(std::move(g));
    return *groups_.back();
}

void Setup::removeGroup(int i) {
    if (i >= 1 && i <= groupCount()) {
        groups_.erase(groups_.begin() + (i - 1));
    }
}

template <typename T, typename SetCurrent, typename Added, typename Removed>
void Setup::resizeCollection(std::vector<std::unique_ptr<T>> &items, int newCount, int currentItem,
                             SetCurrent setCurrent, Added added, Removed removed) {
    // Callers keep counts in range; a count the unit cannot number is held to what it can. The
    // collection's size is the count: nothing else records it.
    newCount = std::clamp(newCount, 0, kMaxItemCount);
    const int old = static_cast<int>(items.size());
    for (int i = old + 1; i <= newCount; ++i) {
        auto item = std::make_unique<T>(context_);
        item->SetDefaults(i);  // resets the item on the unit
        items.push_back(std::move(item));
        added();
    }
    if (newCount < old) {
        if (currentItem > newCount) {
            setCurrent(newCount);
        }
        // From the top down; nothing goes to the unit for removed items.
        for (int i = old; i >= newCount + 1; --i) {
            items.pop_back();
            removed(i);
        }
    }
}

void Setup::CreateChannels(int newMaxChannel) {
    resizeCollection(
        channels_, newMaxChannel, currentItems_.GetCurrentChannel(),
        [this](int i) { currentItems_.SetCurrentChannel(i); }, [this] { labels_.addLabel(); },
        [this](int i) { labels_.removeLabel(i); });
}

void Setup::CreateLVDTs(int newMaxLvdt) {
    resizeCollection(
        lvdts_, newMaxLvdt, currentItems_.GetCurrentLvdt(),
        [this](int i) { currentItems_.SetCurrentLvdt(i); }, [] {}, [](int) {});
}

void Setup::CreateAnalogs(int newMaxAnalog) {
    resizeCollection(
        analogs_, newMaxAnalog, currentItems_.GetCurrentAnalog(),
        [this](int i) { currentItems_.SetCurrentAnalog(i); }, [] {}, [](int) {});
}

void Setup::CreateDigitals(int newMaxDigital) {
    state_.MaxDigital = newMaxDigital;
}

void Setup::CreateStrains(int newMaxStrain) {
    state_.MaxStrain = newMaxStrain;
}

bool Setup::CheckMaxChannel(int newMax, bool fixNow) {
    for (auto &g : groups_) {
        for (int p = 1; p <= g->Count; ++p) {
            if (g->GetChannel(p) > newMax) {
                if (!fixNow) {
                    return false;
                }
                g->RemoveChannel(p);
                --p;  // the next entry moved into position p
            }
        }
    }
    return true;
}

void Setup::CreateDefaultObjects() {
    CreateChannels(state_.MaxChannel);
    CreateLVDTs(state_.MaxLvdt);
    CreateAnalogs(state_.MaxAnalog);
}

void Setup::ClearSetup() {
    groups_.clear();

    // Labels go from the top down; element 0 stays.
    const int n = channelCount();
    channels_.clear();
    for (int i = labels_.count() - 1; i >= 1; --i) {
        labels_.removeLabel(i);
    }
    CreateChannels(n);

    const int lvdts = lvdtCount();
    lvdts_.clear();
    CreateLVDTs(lvdts);

    const int analogs = analogCount();
    analogs_.clear();
    CreateAnalogs(analogs);
}

void Setup::NewSetup() {
    state_.UpdateEnabled = false;
    state_.SetupFileName = QStringLiteral("new.zel");
    mainWindow_.setCaption(QStringLiteral("Zel-8 [") + state_.SetupFileName + QStringLiteral("]"));
    ClearSetup();
    // The displays rebuild and the open dialogs show the new setup. A hold an open dialog took
    // is its own to release.
    announce({SetupChange::Kind::Replaced});
    state_.UpdateEnabled = true;
}

void Setup::markModified(const SetupChange &change) {
    state_.SetupModified = true;
    announce(change);
}

void Setup::markUnmodified() {
    state_.SetupModified = false;
}

void Setup::announce(const SetupChange &change) {
    emit notifier_.changed(change);
}

}  // namespace zelapp
