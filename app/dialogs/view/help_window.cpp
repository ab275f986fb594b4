#include "dialogs/view/help_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextDocument>
#include <QWindow>

#include "ui_help_window.h"
#include "view/window_place.h"

namespace zelapp {

namespace {

// Where the text of an anchor starts on the page; -1 when the page has no such anchor.
int anchorPosition(const QTextDocument &document, const QString &name) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(name)) {
                return it.fragment().position();
            }
        }
    }
    return -1;
}

// The browser loads files without a word about failures; the window reads the file first so
// that a missing or unreadable one is reported.
bool canRead(const QString &helpFile, QString *error) {
    QFile file(helpFile);
    if (file.open(QIODevice::ReadOnly)) {
        return true;
    }
    if (error != nullptr) {
        *error = QStringLiteral("The help file %1 cannot be read: %2.")
                     .arg(QDir::toNativeSeparators(helpFile), file.errorString());
    }
    return false;
}

}  // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::HelpWindow>()) {
    ui_->setupUi(this);
    QTextBrowser *browser = ui_->HelpBrowser;
    connect(ui_->HelpContents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(ui_->HelpBack, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(ui_->HelpForward, &QPushButton::clicked, browser, &QTextBrowser::forward);
    connect(browser, &QTextBrowser::backwardAvailable, ui_->HelpBack, &QWidget::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, ui_->HelpForward, &QWidget::setEnabled);
    // A new page or topic starts without the last search's verdict, and finding starts there.
    connect(browser, &QTextBrowser::sourceChanged, this, [this](const QUrl &source) {
        setStatus(QString());
        findFrom(source.fragment());
    });
    connect(ui_->HelpFindNext, &QPushButton::clicked, this, &HelpWindow::findNext);
    connect(ui_->HelpFindPrevious, &QPushButton::clicked, this, &HelpWindow::findPrevious);
    connect(ui_->HelpFindText, &QLineEdit::returnPressed, this, &HelpWindow::findNext);

    const auto shortcut = [this](const QKeySequence &keys, auto handler) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
    };
    shortcut(QKeySequence(Qt::Key_Escape), [this] { close(); });
    shortcut(QKeySequence::Find, [this] {
        ui_->HelpFindText->setFocus(Qt::ShortcutFocusReason);
        ui_->HelpFindText->selectAll();
    });
    shortcut(QKeySequence::FindNext, [this] { findNext(); });
    shortcut(QKeySequence::FindPrevious, [this] { findPrevious(); });
    shortcut(QKeySequence::Back, [browser] { browser->backward(); });
    shortcut(QKeySequence::Forward, [browser] { browser->forward(); });
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Home), [this] { showContents(); });
}

HelpWindow::~HelpWindow() = default;

bool HelpWindow::showTopic(const QString &helpFile, long contextId, QString *error) {
    if (!canRead(helpFile, error)) {
        return false;
    }
    const QUrl file = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
    QTextBrowser *browser = ui_->HelpBrowser;
    if (file != file_) {
        file_ = file;
        browser->clearHistory();
        browser->setSource(file);
    }
    const QString anchor = QStringLiteral("topic-") + QString::number(contextId);
    if (contextId == 0 || anchorPosition(*browser->document(), anchor) < 0) {
        showContents();
        if (contextId != 0) {
            setStatus(QStringLiteral("The help has no page for topic %1; here are its contents.")
                          .arg(contextId));
        }
        return true;
    }
    QUrl topic = file_;
    topic.setFragment(anchor);
    browser->setSource(topic);
    // The topic shown already is no new source.
    findFrom(anchor);
    return true;
}

void HelpWindow::showContents() {
    // The same file without an anchor: the browser goes to the top and keeps it in the history.
    ui_->HelpBrowser->setSource(file_);
    ui_->HelpBrowser->verticalScrollBar()->setValue(0);
    findFrom(QString());
}

void HelpWindow::findFrom(const QString &anchor) {
    QTextBrowser *browser = ui_->HelpBrowser;
    const int position = anchor.isEmpty() ? 0 : anchorPosition(*browser->document(), anchor);
    if (position < 0) {
        return;
    }
    // The cursor stands at the top of what is shown, so it does not scroll the page.
    QTextCursor from(browser->document());
    from.setPosition(position);
    browser->setTextCursor(from);
}

bool HelpWindow::findNext() {
    return find(false);
}

bool HelpWindow::findPrevious() {
    return find(true);
}

bool HelpWindow::find(bool backward) {
    const QString text = ui_->HelpFindText->text();
    if (text.isEmpty()) {
        setStatus(QString());
        return false;
    }
    QTextBrowser *browser = ui_->HelpBrowser;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (browser->find(text, flags)) {
        setStatus(QString());
        return true;
    }
    // Once round the page: from the other end.
    const QTextCursor from = browser->textCursor();
    QTextCursor start(browser->document());
    start.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    browser->setTextCursor(start);
    if (browser->find(text, flags)) {
        setStatus(backward ? QStringLiteral("Went on from the end of the page.")
                           : QStringLiteral("Went on from the top of the page."));
        return true;
    }
    browser->setTextCursor(from);
    setStatus(QStringLiteral("\"%1\" is not on this page.").arg(text));
    return false;
}

void HelpWindow::setStatus(const QString &text) {
    ui_->LabelHelpStatus->setText(text);
}

HelpWindowViewer::HelpWindowViewer() = default;

HelpWindowViewer::~HelpWindowViewer() = default;

bool HelpWindowViewer::showTopic(const QString &helpFile, long contextId, QString *error) {
    if (!canRead(helpFile, error)) {
        return false;
    }
    if (!window_) {
        window_ = std::make_unique<HelpWindow>();
        applyProgramIcon(*window_, QFileInfo(helpFile).absolutePath());
    }
    // Asked for from a modal dialog, the window belongs to that dialog for the time being:
    // a modal dialog blocks every window that is not its own.
    QWidget *modal = QApplication::activeModalWidget();
    window_->winId();
    window_->windowHandle()->setTransientParent(modal != nullptr ? modal->windowHandle() : nullptr);
    // Shown before it goes to the topic: the page is laid out at the window's real width, so
    // the topic's heading lands at the top.
    window_->show();
    window_->raise();
    window_->activateWindow();
    return window_->showTopic(helpFile, contextId, error);
}

bool HelpWindowViewer::close(const QString &, QString *) {
    if (window_) {
        window_->close();
    }
    return true;
}

}  // namespace zelapp
