// The program's own help window, "ZEL-32 Help": the help file (HTML) in a text browser with
// Contents, Back and Forward and a find box for the page shown. HelpWindowViewer is the help
// viewer main() hands to the session: it makes the window at the first help command and keeps
// it for the rest of the run.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "base/help.h"

namespace Ui {
class HelpWindow;
}

namespace zelapp {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget *parent = nullptr);
    ~HelpWindow() override;

    // Loads the help file when it is not the one shown and goes to a topic: 0 the contents
    // (the top of the file), any other number the anchor "topic-<number>". A number without an
    // anchor shows the contents and says so under the page. False with a description when the
    // file cannot be read; the window then shows what it showed before.
    bool showTopic(const QString &helpFile, long contextId, QString *error);
    void showContents();
    // Finds the text of the find box from the cursor on, going round the page once; false
    // (and "not found" under the page) when the page does not hold it. Showing a topic, a
    // link's section or the contents puts the cursor at its start, so the search starts there.
    bool findNext();
    bool findPrevious();

  private:
    bool find(bool backward);
    // The cursor to the anchor's place (the top of the page for none).
    void findFrom(const QString &anchor);
    void setStatus(const QString &text);

    std::unique_ptr<Ui::HelpWindow> ui_;
    QUrl file_;  // the help file shown, without an anchor
};

// Creates the help window on its first use; CloseHelp closes it.
class HelpWindowViewer : public HelpViewer {
  public:
    HelpWindowViewer();
    ~HelpWindowViewer() override;

    bool showTopic(const QString &helpFile, long contextId, QString *error) override;
    bool close(const QString &helpFile, QString *error) override;

    // Null until help was first shown.
    HelpWindow *window() const { return window_.get(); }

  private:
    std::unique_ptr<HelpWindow> window_;
};

}  // namespace zelapp
