// A folder given that is not there: asked about once, made on Yes, kept as given on No,
// the dialog stays on Cancel or when it cannot be made; an empty text or a folder there asks
// nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <string>

#include "base/folder_question.h"
#include "scripted_prompter.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using zelapp::PromptAnswer;

namespace {

struct FolderCase {
    const char *name;
    const char *folder;  // under a temporary folder holding "there/" and the file "file"
    std::optional<PromptAnswer> answer;  // none: nothing asked
    bool confirmed;
    bool there;  // the folder is there afterwards; the user's alone when the question made it
    bool toldItCannot;
};

class FolderQuestion : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderQuestion, AsksOnceAndMakesItOnYes) {
    const FolderCase &c = GetParam();
    const zeltest::TempFolder temp;
    const QDir root(QString::fromStdString(temp.path()));
    ASSERT_TRUE(root.mkdir(u"there"_s));
    QFile file(root.filePath(u"file"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString folder =
        *c.folder == '\0' ? QString() : root.filePath(QString::fromLatin1(c.folder));
    zeltest::ScriptedPrompter prompter;
    if (c.answer) {
        prompter.answers = {*c.answer};
    }
    EXPECT_EQ(zelapp::confirmFolder(prompter, folder, u"DFQ folder"_s), c.confirmed);
    ASSERT_EQ(prompter.shown.size(), (c.answer ? 1u : 0u) + (c.toldItCannot ? 1u : 0u));
    if (c.answer) {
        EXPECT_EQ(prompter.shown[0].text,
                  u"The DFQ folder "_s + folder + u" does not exist.\rCreate it?"_s);
        EXPECT_EQ(prompter.shown[0].buttons, zelapp::PromptButtons::YesNoCancel);
    }
    if (c.toldItCannot) {
        EXPECT_EQ(prompter.shown[1].text, u"The DFQ folder "_s + folder + u" cannot be made."_s);
    }
    if (!folder.isEmpty()) {
        EXPECT_EQ(QFileInfo(folder).isDir(), c.there);
    }
    if (c.there && c.answer == PromptAnswer::Yes) {
        EXPECT_TRUE(QFileInfo(QFileInfo(folder).path()).isDir()) << "its parent made too";
    }
}

const FolderCase kFolderCases[] = {
    {"EmptyIsTheDefault", "", std::nullopt, true, false, false},
    {"ThereAsksNothing", "there", std::nullopt, true, true, false},
    {"YesMakesItAndItsParents", "new/qdas", PromptAnswer::Yes, true, true, false},
    {"NoKeepsItAsGiven", "later", PromptAnswer::No, true, false, false},
    {"CancelGoesBack", "later", PromptAnswer::Cancel, false, false, false},
    {"UnderAFileItCannotBeMade", "file/qdas", PromptAnswer::Yes, false, false, true},
};

INSTANTIATE_TEST_SUITE_P(Folders, FolderQuestion, ::testing::ValuesIn(kFolderCases),
                         [](const ::testing::TestParamInfo<FolderCase> &info) {
                             return std::string(info.param.name);
                         });

}  // namespace
