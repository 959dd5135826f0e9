#include "SyncOptionsPage.h"

#include "SyncPassword.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// A small square of the calendar's colour ("#RRGGBB" or "#RRGGBBAA").
QIcon swatch(const QString &color)
{
    QPixmap p(12, 12);
    QString name = color.trimmed();
    if (name.size() == 9)
        name = name.left(7);  // the alpha of #RRGGBBAA
    const QColor c(name);
    p.fill(c.isValid() ? c : QColor(Qt::transparent));
    QPainter(&p).drawRect(0, 0, 11, 11);
    return QIcon(p);
}

QLineEdit *field(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

}  // namespace

SyncOptionsPage::SyncOptionsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"SyncPage"_s);
    edSyncUrl = field("edSyncUrl", this);
    edSyncUrl->setPlaceholderText(u"https://cloud.example.org"_s);
    edSyncUser = field("edSyncUser", this);
    edSyncPassword = field("edSyncPassword", this);
    edSyncPassword->setEchoMode(QLineEdit::Password);
    edSyncPassword->setPlaceholderText(u"kept in the keyring"_s);
    edSyncCommand = field("edSyncCommand", this);
    edSyncCommand->setPlaceholderText(u"optional: a command that prints the password"_s);
    btSyncTest = new QPushButton(u"&Test connection"_s, this);
    btSyncTest->setObjectName(u"btSyncTest"_s);
    lblSyncResult = new QLabel(this);
    lblSyncResult->setObjectName(u"lblSyncResult"_s);
    lblSyncResult->setWordWrap(true);
    cbSyncCalendar = new QComboBox(this);
    cbSyncCalendar->setObjectName(u"cbSyncCalendar"_s);
    cbSyncTodo = new QComboBox(this);
    cbSyncTodo->setObjectName(u"cbSyncTodo"_s);
    chkSyncCompleted = new QCheckBox(u"Also sync the completed &log, as completed to-do tasks"_s, this);
    chkSyncCompleted->setObjectName(u"chkSyncCompleted"_s);
    // The log's entries go where the to-do tasks go: without that calendar
    // there is nowhere for them.
    connect(cbSyncTodo, &QComboBox::currentIndexChanged, this,
            [this] { chkSyncCompleted->setEnabled(!cbSyncTodo->currentData().toString().isEmpty()); });
    edSyncMinutes = new QSpinBox(this);
    edSyncMinutes->setObjectName(u"edSyncMinutes"_s);
    edSyncMinutes->setRange(1, 24 * 60);
    edSyncMinutes->setSuffix(u" minutes"_s);
    connect(btSyncTest, &QPushButton::clicked, this, [this] { btSyncTestClick(); });

    auto *form = new QFormLayout;
    form->addRow(u"&Server address:"_s, edSyncUrl);
    form->addRow(u"&User name:"_s, edSyncUser);
    form->addRow(u"&Password:"_s, edSyncPassword);
    form->addRow(u"Password co&mmand:"_s, edSyncCommand);
    auto *test = new QHBoxLayout;
    test->addWidget(btSyncTest);
    test->addStretch();
    form->addRow(QString(), test);
    form->addRow(QString(), lblSyncResult);
    form->addRow(u"&Dated tasks go to:"_s, cbSyncCalendar);
    form->addRow(u"T&o-do tasks go to:"_s, cbSyncTodo);
    form->addRow(QString(), chkSyncCompleted);
    form->addRow(u"Sync e&very:"_s, edSyncMinutes);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(form);
    auto *note = new QLabel(u"Tasks are synced with a CalDAV calendar server (Nextcloud, Radicale, Fastmail and "
                            "others). The password is kept in the desktop's keyring, never in the settings file."_s,
                            this);
    note->setWordWrap(true);
    outer->addWidget(note);
    outer->addStretch();
    fillCalendars({});
}

QString SyncOptionsPage::calendarAddress(const QString &path) const
{
    return QString::fromUtf8(DavUrl(SyncServerUrl(edSyncUrl->text()), path).toEncoded());
}

void SyncOptionsPage::fillCalendars(const std::vector<FoundCalendar> &found)
{
    const QString dated = cbSyncCalendar->currentData().toString();
    const QString todo = cbSyncTodo->currentData().toString();
    cbSyncCalendar->clear();
    cbSyncTodo->clear();
    cbSyncTodo->addItem(u"(not synced)"_s, QString());
    for (const FoundCalendar &c : found) {
        const QString address = calendarAddress(c.path);
        if (c.events)
            cbSyncCalendar->addItem(swatch(c.color), c.name, address);
        if (c.todos)
            cbSyncTodo->addItem(swatch(c.color), c.name, address);
    }
    // A choice made before stays, found again or not.
    auto keep = [](QComboBox *box, const QString &address) {
        if (address.isEmpty())
            return;
        int at = box->findData(address);
        if (at < 0) {
            box->addItem(CalendarPath(address), address);
            at = box->count() - 1;
        }
        box->setCurrentIndex(at);
    };
    keep(cbSyncCalendar, dated);
    keep(cbSyncTodo, todo);
}

void SyncOptionsPage::load(const SyncSettings &s)
{
    edSyncUrl->setText(s.url);
    edSyncUser->setText(s.user);
    edSyncCommand->setText(s.passwordCommand);
    edSyncPassword->clear();
    edSyncMinutes->setValue(s.minutes);
    chkSyncCompleted->setChecked(s.completedLog);
    cbSyncCalendar->clear();
    cbSyncTodo->clear();
    cbSyncCalendar->addItem(CalendarPath(s.calendar), s.calendar);
    cbSyncTodo->addItem(CalendarPath(s.todoCalendar), s.todoCalendar);
    fillCalendars({});
    if (s.calendar.isEmpty())
        cbSyncCalendar->clear();
    lblSyncResult->clear();
}

SyncSettings SyncOptionsPage::settings() const
{
    SyncSettings s;
    s.url = edSyncUrl->text().trimmed();
    s.user = edSyncUser->text().trimmed();
    s.passwordCommand = edSyncCommand->text().trimmed();
    s.calendar = cbSyncCalendar->currentData().toString();
    s.todoCalendar = cbSyncTodo->currentData().toString();
    s.completedLog = chkSyncCompleted->isChecked() && !s.todoCalendar.isEmpty();
    s.minutes = edSyncMinutes->value();
    return s;
}

QString SyncOptionsPage::typedPassword() const { return edSyncPassword->text(); }

void SyncOptionsPage::btSyncTestClick()
{
    const SyncSettings s = settings();
    if (!s.configured()) {
        lblSyncResult->setText(u"Enter the server's address first."_s);
        return;
    }
    QString password = typedPassword();
    if (password.isEmpty()) {
        const PasswordLookup found = LookUpSyncPassword(s);
        if (!found.found) {
            lblSyncResult->setText(found.why + u" Enter the password above."_s);
            return;
        }
        password = found.password;
    }
    lblSyncResult->setText(u"Connecting…"_s);
    btSyncTest->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    CalDavClient client(SyncServerUrl(s.url), s.user, password, timeoutMs_);
    const Discovery d = DiscoverCalendars(client, SyncServerUrl(s.url));
    QApplication::restoreOverrideCursor();
    btSyncTest->setEnabled(true);
    lblSyncResult->setText(DiscoveryText(d));
    if (d.ok)
        fillCalendars(d.calendars);
}

}  // namespace morvane
