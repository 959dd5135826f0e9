#pragma once
// The help: HTML pages "help/<topic>.html" beside the program, shown in one
// window that stays open beside the program's windows.

#include <QDialog>

class QTextBrowser;

namespace morvane {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // `folders` are searched in order for the help pages.
    explicit HelpWindow(QStringList folders, QWidget *parent = nullptr);
    // Shows the page of the topic; false (and a note in the window) when the
    // page is missing.
    bool showTopic(int topic);
    QString currentText() const;

private:
    QStringList folders_;
    QTextBrowser *browser_;
};

}  // namespace morvane
