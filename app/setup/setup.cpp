#include "setup/setup.h"

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

void Setup::CreateChannels(int newMaxChannel) {
    const int old = state_.MaxChannel;
    for (int i = old + 1; i <= newMaxChannel; ++i) {
        auto c = std::make_unique<Channel>(context_);
        c->SetDefaults(i);
        channels_.push_back(std::move(c));
        labels_.addLabel();
    }
    if (newMaxChannel < old) {
        if (currentItems_.GetCurrentChannel() > newMaxChannel) {
            currentItems_.SetCurrentChannel(newMaxChannel);
        }
        for (int i = old; i >= newMaxChannel + 1; --i) {
            if (i <= channelCount()) {
                channels_.erase(channels_.begin() + (i - 1));
            }
            labels_.removeLabel(i);
        }
    }
    state_.MaxChannel = newMaxChannel;
}

void Setup::CreateLVDTs(int newMaxLvdt) {
    const int old = state_.MaxLvdt;
    for (int i = old + 1; i <= newMaxLvdt; ++i) {
        auto l = std::make_unique<Lvdt>(context_);
        l->SetDefaults(i);
        lvdts_.push_back(std::move(l));
    }
    if (newMaxLvdt < old) {
        if (currentItems_.GetCurrentLvdt() > newMaxLvdt) {
            currentItems_.SetCurrentLvdt(newMaxLvdt);
        }
        for (int i = old; i >= newMaxLvdt + 1; --i) {
            if (i <= lvdtCount()) {
                lvdts_.erase(lvdts_.begin() + (i - 1));
            }
        }
    }
    state_.MaxLvdt = newMaxLvdt;
}

void Setup::CreateAnalogs(int newMaxAnalog) {
    const int old = state_.MaxAnalog;
    for (int i = old + 1; i <= newMaxAnalog; ++i) {
        auto a = std::make_unique<analog>(context_);
        a->SetDefaults(i);
        analogs_.push_back(std::move(a));
    }
    if (newMaxAnalog < old) {
        if (currentItems_.GetCurrentAnalog() > newMaxAnalog) {
            currentItems_.SetCurrentAnalog(newMaxAnalog);
        }
        for (int i = old; i >= newMaxAnalog + 1; --i) {
            if (i <= analogCount()) {
                analogs_.erase(analogs_.begin() + (i - 1));
            }
        }
    }
    state_.MaxAnalog = newMaxAnalog;
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
    const int channels = state_.MaxChannel;
    const int lvdts = state_.MaxLvdt;
    const int analogs = state_.MaxAnalog;
    state_.MaxChannel = 0;
    state_.MaxLvdt = 0;
    state_.MaxAnalog = 0;
    CreateChannels(channels);
    CreateLVDTs(lvdts);
    CreateAnalogs(analogs);
}

void Setup::ClearSetup() {
    groups_.clear();

    // Labels go from the top down; element 0 stays.
    const int n = state_.MaxChannel;
    channels_.clear();
    for (int i = labels_.count() - 1; i >= 1; --i) {
        labels_.removeLabel(i);
    }
    state_.MaxChannel = 0;
    CreateChannels(n);

    const int lvdtCount = state_.MaxLvdt;
    lvdts_.clear();
    state_.MaxLvdt = 0;
    CreateLVDTs(lvdtCount);

    const int analogCount = state_.MaxAnalog;
    analogs_.clear();
    state_.MaxAnalog = 0;
    CreateAnalogs(analogCount);
}

void Setup::NewSetup() {
    state_.UpdateEnabled = false;
    state_.SetupFileName = QStringLiteral("new.zel");
    mainWindow_.setCaption(QStringLiteral("Zel-8 [") + state_.SetupFileName + QStringLiteral("]"));
    ClearSetup();
    state_.UpdateEnabled = true;
}

}  // namespace zelapp
