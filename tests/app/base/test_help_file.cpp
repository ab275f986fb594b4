// The operator's manual as shipped: every link inside it leads somewhere, the topic each
// window's F1 asks for is there, and every picture it shows exists. A broken link shows the
// operator nothing at all.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include "base/help_topics.h"

namespace {

QStringList captures(const QString &text, const QString &pattern) {
    QStringList out;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext()) {
        out << it.next().captured(1);
    }
    return out;
}

TEST(HelpFile, LinksAnchorsAndPicturesHold) {
    const QDir folder(QString::fromUtf8(ZELAPP_HELP_DIR));
    QFile file(folder.filePath(QStringLiteral("zelapp.html")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());

    // The help window finds sections by <a name>; an id would not be found.
    const QStringList names = captures(html, QStringLiteral("<a\\s+name=\"([^\"]*)\""));
    QSet<QString> anchors;
    for (const QString &name : names) {
        EXPECT_FALSE(anchors.contains(name)) << "anchor twice: " << name.toStdString();
        anchors.insert(name);
    }
    EXPECT_TRUE(anchors.contains(QStringLiteral("contents")));
    // Every window's own section: a topic of two windows would show one of them the wrong one.
    QSet<long> topics{zelapp::kLinkPopupHelpTopic, zelapp::kPartProgramHelpTopic,
                      zelapp::kPartHistoryHelpTopic, zelapp::kStatisticsHelpTopic};
    for (const zelapp::DialogHelpTopic &entry : zelapp::kDialogHelpTopics) {
        EXPECT_FALSE(topics.contains(entry.topic)) << entry.topic;
        topics.insert(entry.topic);
    }
    for (const long topic : topics) {
        EXPECT_TRUE(anchors.contains(QStringLiteral("topic-%1").arg(topic))) << topic;
    }

    const QStringList links = captures(html, QStringLiteral("href=\"([^\"]*)\""));
    EXPECT_GT(links.size(), 20);
    for (const QString &link : links) {
        if (link.startsWith(QLatin1Char('#'))) {
            EXPECT_TRUE(anchors.contains(link.mid(1))) << "no anchor for " << link.toStdString();
        } else {
            // Nothing but the manual is installed next to the program.
            EXPECT_TRUE(link.startsWith(QStringLiteral("https://")) ||
                        link.startsWith(QStringLiteral("http://")))
                << "link to a file that is not shipped: " << link.toStdString();
        }
    }

    const QStringList pictures = captures(html, QStringLiteral("<img\\s+src=\"([^\"]*)\""));
    EXPECT_FALSE(pictures.isEmpty());
    for (const QString &picture : pictures) {
        EXPECT_FALSE(QDir::isAbsolutePath(picture)) << picture.toStdString();
        EXPECT_TRUE(QFile::exists(folder.filePath(picture))) << "missing " << picture.toStdString();
    }
    EXPECT_FALSE(html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
}

}  // namespace
