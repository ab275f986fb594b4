// The about window's texts: the three blocks line by line, a version buffer without a version,
// and the library's version number as text.
#include <gtest/gtest.h>

#include "dialogs/about.h"
#include "fake_unit.h"
#include "unit/zelcomm_binding.h"

using namespace Qt::StringLiterals;

namespace {

TEST(AboutTexts, TheThreeBlocksEndEachLineWithACarriageReturn) {
    zelapp::AppState state;
    state.FirmwareFileName = u"zel8.hex"_s;
    zeltest::FakeUnit unit;
    const zelapp::AboutTexts texts = zelapp::aboutTexts(state, unit);
    EXPECT_EQ(texts.LabelDescription,
              u"ZEL-32 server program\rVersion 6.0\rQuillon Corporation\r"_s);
    EXPECT_EQ(texts.LabelFirmware,
              u"ZEL-32 Firmware currently in use:\rFile: zel8.hex\rVersion: N/A\r"_s);
    EXPECT_EQ(texts.LabelDLL, zelapp::ZelcommBinding::libraryFileName() + u"\rVersion: 3.01\r"_s);
#ifndef Q_OS_WIN
    EXPECT_TRUE(texts.LabelDLL.startsWith(u"libzelcomm.so\r"_s));
#endif
    EXPECT_TRUE(texts.caption.contains(u"ZEL-32"_s) && texts.caption.contains(u"Quillon"_s));
    EXPECT_TRUE(unit.calls.empty());
}

TEST(AboutTexts, AVersionIsWhatTheBufferHoldsBeforeTheFirstQuestionMark) {
    const zelapp::AppState state;
    const zelapp::AboutTexts texts =
        zelapp::aboutTexts(state, zelapp::versionBuffer(), zelapp::versionBuffer("1.2?3"));
    EXPECT_EQ(texts.LabelFirmware, u"ZEL-32 Firmware currently in use:\rFile: \rVersion: \r"_s);
    EXPECT_EQ(texts.LabelDLL, zelapp::ZelcommBinding::libraryFileName() + u"\rVersion: 1.2\r"_s);
    EXPECT_EQ(zelapp::versionText(zelapp::versionBuffer(QByteArray(70, 'x'))), QString(64, u'x'))
        << "a full buffer is all text";
}

TEST(AboutTexts, LibraryVersionIsHighByteDotLowByteInTwoDigits) {
    EXPECT_EQ(zelapp::libraryVersionText(769), u"3.01"_s);
    EXPECT_EQ(zelapp::libraryVersionText(0x0A1E), u"10.30"_s);
    EXPECT_EQ(zelapp::libraryVersionText(0), u"0.00"_s);
}

}  // namespace
