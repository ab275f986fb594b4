// A window made over a context of the test's own: the history window asks its context, and
// nothing else of the program, for help and for the export's file.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QPushButton>
#include <vector>

#include "base/help.h"
#include "base/help_topics.h"
#include "core/view/session_context.h"
#include "history/part_history.h"
#include "history/view/form_part_history.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class RecordingHelp : public zelapp::HelpTopics {
  public:
    std::vector<long> topics;
    void showHelpTopic(long topic) override { topics.push_back(topic); }
};

TEST(WindowContextTest, TheHistoryWindowTakesHelpAndTheExportsFileFromItsContext) {
    zeltest::SessionFixture f;
    f.session->partHistory().open();  // an empty history to export
    RecordingHelp help;
    zeltest::FakeFileChooser chooser;
    const zelapp::WindowContext session = zelapp::sessionContext(*f.session);
    const zelapp::WindowContext context{
        session.partCycle, session.history,     session.processWatch,
        session.dfqExport, session.partProgram, session.partProgramTool,
        session.setup,     session.state,       session.prompter,
        chooser,           session.settings,    help,
        session.dialogs,   session.unit,        session.palette};
    zelapp::FormPartHistory window(context);

    window.findChild<QAction *>(u"ActionHistoryHelp"_s)->trigger();
    EXPECT_EQ(help.topics, std::vector<long>{zelapp::kPartHistoryHelpTopic});
    EXPECT_EQ(f.helpViewer.shows, 0) << "the session's help was not asked";

    chooser.answer = f.programFolder() + u"/parts.csv"_s;
    window.findChild<QPushButton *>(u"CommandExport"_s)->click();
    EXPECT_EQ(chooser.saveRequests.size(), 1u);
    EXPECT_TRUE(f.chooser.saveRequests.empty()) << "the session's chooser was not asked";
    EXPECT_TRUE(QFileInfo::exists(chooser.answer));
}

}  // namespace
