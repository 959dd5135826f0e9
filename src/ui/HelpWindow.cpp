#include "HelpWindow.h"

#include "ScreenPlacement.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

HelpWindow::HelpWindow(QStringList folders, QWidget *parent)
    : QDialog(parent), folders_(std::move(folders)), browser_(new QTextBrowser(this))
{
    setObjectName(u"frmHelp"_s);
    setWindowTitle(u"Morvane Help"_s);
    browser_->setOpenExternalLinks(true);
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(browser_);
    resize(560, 520);
    installEventFilter(new OnScreenGuard(this));
}

bool HelpWindow::showTopic(int topic)
{
    for (const QString &folder : folders_) {
        const QString page = QDir(folder).filePath(u"help/%1.html"_s.arg(topic));
        if (QFileInfo::exists(page)) {
            browser_->setSearchPaths({QFileInfo(page).absolutePath()});
            browser_->setSource(QUrl::fromLocalFile(page));
            show();
            raise();
            activateWindow();
            return true;
        }
    }
    browser_->setHtml(u"<p>The help page for this window (topic %1) is missing. Reinstalling Morvane "
                      "puts it back.</p>"_s.arg(topic));
    show();
    raise();
    activateWindow();
    return false;
}

QString HelpWindow::currentText() const { return browser_->toPlainText(); }

}  // namespace morvane
