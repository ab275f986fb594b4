// The setup: the channel, probe, analog and group objects with their counts, the channel value
// holders, and the procedures that grow, shrink, clear and renew it so that the collections,
// the holders, the counts and the unit stay in step.
#pragma once

#include <memory>
#include <vector>

#include "base/main_window_port.h"
#include "model/channel.h"
#include "model/group.h"
#include "model/inputs.h"
#include "model/model_context.h"
#include "setup/channel_labels.h"
#include "setup/current_items.h"
#include "setup/setup_change.h"
#include "setup/window_geometry.h"

namespace zelapp {

class Setup {
  public:
    // The collections' sizes are the counts of channels, probes and analog inputs; the
    // settings MaxChannel, MaxLvdt and MaxAnalog in `state` are only what start-up builds
    // (CreateDefaultObjects). `state` must be the same object as the one in `context`.
    Setup(const ModelContext &context, AppState &state, ChannelLabels &labels,
          CurrentItems &currentItems, MainWindowPort &mainWindow);
    Setup(const Setup &) = delete;
    Setup &operator=(const Setup &) = delete;

    // Collections, positions 1..n (as the objects' Index). Null outside the range.
    Channel *channel(int i) const;
    Lvdt *lvdt(int i) const;
    analog *analogInput(int i) const;
    group *groupAt(int i) const;
    int channelCount() const { return static_cast<int>(channels_.size()); }
    int lvdtCount() const { return static_cast<int>(lvdts_.size()); }
    int analogCount() const { return static_cast<int>(analogs_.size()); }
    int groupCount() const { return static_cast<int>(groups_.size()); }

    // Appends a group at the end of Groups and returns it.
    group &addGroup(std::unique_ptr<group> g);
    // Removes the group at position i (1-based); other positions are ignored.
    void removeGroup(int i);

    void CreateChannels(int newMaxChannel);
    void CreateLVDTs(int newMaxLvdt);
    void CreateAnalogs(int newMaxAnalog);
    void CreateDigitals(int newMaxDigital);
    void CreateStrains(int newMaxStrain);
    // Whether every group uses only channels up to newMax; with fixNow, removes the others.
    bool CheckMaxChannel(int newMax, bool fixNow);
    // Start-up: builds the channels, probes and analog inputs for the counts in the settings
    // (the collections are empty before).
    void CreateDefaultObjects();
    // Removes all groups and rebuilds channels, probes and analog inputs with their defaults.
    void ClearSetup();
    // Starts an empty setup named "new.zel"; everyone hears that the setup was replaced.
    void NewSetup();

    // ---- Changes ----
    // Every change of the setup goes through here: the setup is modified (offered for saving)
    // and everyone listening hears what changed.
    void markModified(const SetupChange &change);
    // The setup now matches its file: saved, or loaded whole.
    void markUnmodified();
    // A change that leaves the modified flag alone: a setup put in place whole.
    void announce(const SetupChange &change);
    SetupNotifier &notifier() { return notifier_; }

    // The nine window records; they live across New and ClearSetup.
    SetupWindows &windows() { return windows_; }
    const SetupWindows &windows() const { return windows_; }

    AppState &state() { return state_; }
    const ModelContext &context() const { return context_; }
    ChannelLabels &labels() { return labels_; }
    MainWindowPort &mainWindow() { return mainWindow_; }

  private:
    // Grows or shrinks one collection to newCount objects: new ones are bound to their number,
    // a dialog showing a removed item moves to the new last one.
    template <typename T, typename SetCurrent, typename Added, typename Removed>
    void resizeCollection(std::vector<std::unique_ptr<T>> &items, int newCount, int currentItem,
                          SetCurrent setCurrent, Added added, Removed removed);

    ModelContext context_;
    AppState &state_;
    ChannelLabels &labels_;
    CurrentItems &currentItems_;
    MainWindowPort &mainWindow_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<std::unique_ptr<Lvdt>> lvdts_;
    std::vector<std::unique_ptr<analog>> analogs_;
    std::vector<std::unique_ptr<group>> groups_;
    SetupWindows windows_{};
    SetupNotifier notifier_;
};

}  // namespace zelapp
