// The clipboard link without a clipboard: its bytes, and what "Copy" makes of the link state.
#include <gtest/gtest.h>

#include <QMimeData>

#include "base/app_state.h"
#include "exchange/link_copy.h"
#include "setup/channel_labels.h"

namespace zelapp {
namespace {

// A byte array from a literal that holds zeros, its last (implicit) zero left out.
template <std::size_t N>
QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

TEST(LinkFormat, ThreeZeroEndedNamesThenAFinalZero) {
    EXPECT_EQ(linkFormatBytes(QStringLiteral("zelapp"), QStringLiteral("Display"),
                              QStringLiteral("labelChan(1)")),
              bytes("zelapp\0Display\0labelChan(1)\0\0"));
    // Empty names keep their places; the reader counts zeros.
    EXPECT_EQ(linkFormatBytes({}, {}, {}), bytes("\0\0\0\0"));
}

TEST(LinkFormat, NamesAreEightBitText) {
    EXPECT_EQ(linkFormatBytes(QString::fromUtf8("Gr\u00f6\u00dfe\u20ac"), QStringLiteral("T"),
                              QStringLiteral("i")),
              bytes("Gr\xf6\xdf"
                    "e?\0T\0i\0\0"));
}

TEST(LinkFormat, MimeTypeOfThisPlatform) {
#ifdef Q_OS_WIN
    EXPECT_EQ(linkMimeType(), QStringLiteral("application/x-qt-windows-mime;value=\"Link\""));
#else
    EXPECT_EQ(linkMimeType(), QStringLiteral("application/x-dde-link"));
#endif
}

class LinkCopyTest : public ::testing::Test {
  protected:
    AppState state;
    ChannelLabels labels;

    LinkCopyTest() {
        for (int i = 1; i <= 3; ++i) {
            labels.addLabel();
        }
    }
    void expectEmptied() {
        EXPECT_TRUE(state.CopyLinkValue.isEmpty());
        EXPECT_TRUE(state.CopyLinkTopic.isEmpty());
        EXPECT_TRUE(state.CopyLinkItem.isEmpty());
        EXPECT_EQ(state.CopyLinkApp, QStringLiteral("zelapp"));
    }
};

TEST_F(LinkCopyTest, PreparingTakesTheChannelsTextNow) {
    labels.setText(2, QStringLiteral(" 12.345"));
    prepareLinkCopy(state, labels, 2, QStringLiteral("zelapp"));
    EXPECT_EQ(state.CopyLinkApp, QStringLiteral("zelapp"));
    EXPECT_EQ(state.CopyLinkValue, QStringLiteral(" 12.345"));
    EXPECT_EQ(state.CopyLinkTopic, QStringLiteral("Display"));
    EXPECT_EQ(state.CopyLinkItem, QStringLiteral("labelChan(2)"));
    labels.setText(2, QStringLiteral(" 13.000"));  // later readings do not follow
    EXPECT_EQ(state.CopyLinkValue, QStringLiteral(" 12.345"));

    prepareLinkCopy(state, labels, 3, QStringLiteral("zelapp"));
    EXPECT_EQ(state.CopyLinkValue, QStringLiteral("DDE"));  // before the first reading
}

TEST_F(LinkCopyTest, CopyGivesTheTextAsItIsAndTheLinkThenEmptiesTheState) {
    labels.setText(1, QStringLiteral(" 12.345"));
    prepareLinkCopy(state, labels, 1, QStringLiteral("zelapp"));
    const std::unique_ptr<QMimeData> data = takeLinkCopy(state);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral(" 12.345"));
    EXPECT_EQ(data->data(linkMimeType()), bytes("zelapp\0Display\0labelChan(1)\0\0"));
    EXPECT_EQ(data->formats(), (QStringList{QStringLiteral("text/plain"), linkMimeType()}));
    expectEmptied();

    EXPECT_EQ(takeLinkCopy(state), nullptr);  // a second Copy has nothing left
    expectEmptied();
}

TEST_F(LinkCopyTest, NoValueGivesNothingAndStillEmptiesTheState) {
    labels.setText(1, QString());
    prepareLinkCopy(state, labels, 1, QStringLiteral("zelapp"));
    EXPECT_EQ(state.CopyLinkItem, QStringLiteral("labelChan(1)"));
    EXPECT_EQ(takeLinkCopy(state), nullptr);
    expectEmptied();

    // A channel without a value holder (the setup shrank) has no value either.
    prepareLinkCopy(state, labels, 9, QStringLiteral("zelapp"));
    EXPECT_EQ(takeLinkCopy(state), nullptr);
    expectEmptied();
}

TEST_F(LinkCopyTest, ABlankValueIsStillAValue) {
    labels.setText(1, QStringLiteral(" "));
    prepareLinkCopy(state, labels, 1, QStringLiteral("zelapp"));
    const std::unique_ptr<QMimeData> data = takeLinkCopy(state);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral(" "));
}

}  // namespace
}  // namespace zelapp
