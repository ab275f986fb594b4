// The signals by which the system asks the program to end: SIGTERM (a service stop, a session's
// logout), SIGINT (Ctrl+C in the terminal) and SIGHUP (the terminal went away). Their default
// action ends the program on the spot, with whatever it keeps in memory. Here the handler only
// writes the signal's number into a pipe; a QSocketNotifier reads it in the event loop and tells
// the program, which then closes in its own time, as File > Exit does.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;

namespace zelapp {

class StopSignals : public QObject {
    Q_OBJECT

  public:
    // Takes the three signals over; one object at a time in the process (a second one takes
    // nothing and is not active). Needs the event loop's thread.
    explicit StopSignals(QObject *parent = nullptr);
    // Gives the signals their default actions back.
    ~StopSignals() override;
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // Whether the signals come here.
    bool isActive() const { return notifier_ != nullptr; }

  signals:
    // Once per signal received, in the event loop: SIGTERM, SIGINT or SIGHUP.
    void stopRequested(int signal);

  private:
    void readPipe();

    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// "SIGTERM", "SIGINT", "SIGHUP"; "signal <n>" for any other.
QString stopSignalName(int signal);

}  // namespace zelapp
