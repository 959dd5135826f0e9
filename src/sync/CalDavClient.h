#pragma once
// Requests to a CalDAV server (RFC 4791, WebDAV sync RFC 6578), one after
// another: each waits for its answer in a local event loop, so the sync
// runs on a thread of its own in the program and blocks nothing there.
//
// Paths are kept decoded ("/ann/cal@home été/") and encoded for each
// request, so a calendar address with "@", a space or accents names the
// same items however the server spells them in its answers.

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace morvane {

struct DavResponse {
    int status = 0;                          // HTTP status; 0 when none came
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;
    QByteArray body, etag, location;
    bool timedOut = false;
    bool ok() const { return status >= 200 && status < 300; }
};

// One <response> of a multistatus answer.
struct DavEntry {
    QString path;              // decoded
    int status = 200;          // the response's own status (404: removed), else its properties'
    QByteArray etag, calendarData;
    QByteArray ctag;           // a collection's tag, which changes with any of its items
    QString displayName, color;
    bool calendar = false;
    QStringList components;    // VEVENT, VTODO: what the calendar takes
    QString principal, home;   // current-user-principal, calendar-home-set (decoded paths)
};
struct DavMultiStatus {
    bool ok = false;
    std::vector<DavEntry> entries;
    QByteArray syncToken;
};
DavMultiStatus ParseMultiStatus(const QByteArray &xml);

// The decoded path of an href, which may be a path or a whole address.
QString DavPath(const QByteArray &href);
// The address of a decoded path on the server of `base`, encoded as needed.
QUrl DavUrl(const QUrl &base, const QString &path);
QByteArray DavEncodedPath(const QString &path);

class CalDavClient {
public:
    CalDavClient(QUrl server, QString user, QString password, int timeoutMs = 60000);
    ~CalDavClient();

    const QUrl &server() const { return server_; }
    DavResponse send(const QByteArray &method, const QUrl &url, const QByteArray &body = {},
                     const QList<QPair<QByteArray, QByteArray>> &headers = {});
    DavResponse propfind(const QUrl &url, int depth, const QByteArray &props);
    // A request sent now and answered later, so that other work is done
    // while the server answers: started (none when the sync was stopped),
    // then waited for once, or dropped unread.
    QNetworkReply *start(const QByteArray &method, const QUrl &url, const QByteArray &body = {},
                         const QList<QPair<QByteArray, QByteArray>> &headers = {});
    QNetworkReply *startPropfind(const QUrl &url, int depth, const QByteArray &props);
    DavResponse finish(QNetworkReply *reply);
    static void drop(QNetworkReply *reply);
    DavResponse report(const QUrl &url, int depth, const QByteArray &body);

    int requests() const { return requests_; }
    // When set and true, the request under way is given up and no other is
    // sent: the program is ending.
    const std::atomic<bool> *cancel = nullptr;
    // Called after each answer with the number of requests so far (tests
    // stop the process at a chosen request with it).
    std::function<void(int)> afterRequest;

    // What went wrong, in plain words: "The server refused the user name or
    // password." and the like.
    QString failureText(const DavResponse &r) const;

private:
    QUrl server_;
    QByteArray authorization_;
    int timeoutMs_;
    int requests_ = 0;
    std::unique_ptr<QNetworkAccessManager> net_;
};

}  // namespace morvane
