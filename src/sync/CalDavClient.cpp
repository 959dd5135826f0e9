#include "CalDavClient.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QTimer>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr QStringView kDav = u"DAV:";
constexpr QStringView kCalDav = u"urn:ietf:params:xml:ns:caldav";
constexpr QStringView kApple = u"http://apple.com/ns/ical/";
constexpr QStringView kCalendarServer = u"http://calendarserver.org/ns/";

int statusOf(const QString &line)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.simplified().split(u' ');
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// The text of the first <href> inside the current element.
QString hrefInside(QXmlStreamReader &x)
{
    QString out;
    while (x.readNextStartElement()) {
        if (x.name() == u"href" && x.namespaceUri() == kDav)
            out = DavPath(x.readElementText().trimmed().toUtf8());
        else
            x.skipCurrentElement();
    }
    return out;
}

void readProp(QXmlStreamReader &x, DavEntry &e)
{
    while (x.readNextStartElement()) {
        const QStringView ns = x.namespaceUri(), name = x.name();
        if (ns == kDav && name == u"getetag") {
            e.etag = x.readElementText().trimmed().toUtf8();
        } else if (ns == kCalDav && name == u"calendar-data") {
            e.calendarData = x.readElementText().toUtf8();
        } else if (ns == kDav && name == u"displayname") {
            e.displayName = x.readElementText().trimmed();
        } else if (ns == kCalendarServer && name == u"getctag") {
            e.ctag = x.readElementText().trimmed().toUtf8();
        } else if (ns == kApple && name == u"calendar-color") {
            e.color = x.readElementText().trimmed();
        } else if (ns == kDav && name == u"resourcetype") {
            while (x.readNextStartElement()) {
                if (x.namespaceUri() == kCalDav && x.name() == u"calendar")
                    e.calendar = true;
                x.skipCurrentElement();
            }
        } else if (ns == kCalDav && name == u"supported-calendar-component-set") {
            while (x.readNextStartElement()) {
                if (x.name() == u"comp")
                    e.components << x.attributes().value(u"name"_s).toString().toUpper();
                x.skipCurrentElement();
            }
        } else if (ns == kDav && name == u"current-user-principal") {
            e.principal = hrefInside(x);
        } else if (ns == kCalDav && name == u"calendar-home-set") {
            e.home = hrefInside(x);
        } else {
            x.skipCurrentElement();
        }
    }
}

void readResponse(QXmlStreamReader &x, DavMultiStatus &out)
{
    DavEntry e;
    bool ownStatus = false;
    while (x.readNextStartElement()) {
        const QStringView name = x.name();
        if (x.namespaceUri() != kDav) {
            x.skipCurrentElement();
        } else if (name == u"href") {
            e.path = DavPath(x.readElementText().trimmed().toUtf8());
        } else if (name == u"status") {
            e.status = statusOf(x.readElementText());
            ownStatus = true;
        } else if (name == u"propstat") {
            DavEntry props;
            int status = 200;
            while (x.readNextStartElement()) {
                if (x.namespaceUri() == kDav && x.name() == u"prop")
                    readProp(x, props);
                else if (x.namespaceUri() == kDav && x.name() == u"status")
                    status = statusOf(x.readElementText());
                else
                    x.skipCurrentElement();
            }
            if (status >= 200 && status < 300) {
                if (!props.etag.isEmpty())
                    e.etag = props.etag;
                if (!props.calendarData.isEmpty())
                    e.calendarData = props.calendarData;
                if (!props.displayName.isEmpty())
                    e.displayName = props.displayName;
                if (!props.color.isEmpty())
                    e.color = props.color;
                if (!props.ctag.isEmpty())
                    e.ctag = props.ctag;
                e.calendar = e.calendar || props.calendar;
                e.components += props.components;
                if (!props.principal.isEmpty())
                    e.principal = props.principal;
                if (!props.home.isEmpty())
                    e.home = props.home;
            } else if (!ownStatus && status != 404) {
                e.status = status;
            }
        } else {
            x.skipCurrentElement();
        }
    }
    out.entries.push_back(std::move(e));
}

}  // namespace

DavMultiStatus ParseMultiStatus(const QByteArray &xml)
{
    DavMultiStatus out;
    QXmlStreamReader x(xml);
    if (!x.readNextStartElement() || x.name() != u"multistatus" || x.namespaceUri() != kDav)
        return out;
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == u"response")
            readResponse(x, out);
        else if (x.namespaceUri() == kDav && x.name() == u"sync-token")
            out.syncToken = x.readElementText().trimmed().toUtf8();
        else
            x.skipCurrentElement();
    }
    out.ok = !x.hasError();
    return out;
}

QString DavPath(const QByteArray &href)
{
    const QUrl u = QUrl::fromEncoded(href.trimmed());
    QString path = u.path(QUrl::FullyDecoded);
    return path.isEmpty() ? u"/"_s : path;
}

QUrl DavUrl(const QUrl &base, const QString &path)
{
    QUrl u = base;
    u.setPath(path, QUrl::DecodedMode);
    u.setQuery(QString());
    u.setFragment(QString());
    return u;
}

QByteArray DavEncodedPath(const QString &path)
{
    QUrl u;
    u.setPath(path, QUrl::DecodedMode);
    return u.toEncoded(QUrl::FullyEncoded);
}

CalDavClient::CalDavClient(QUrl server, QString user, QString password, int timeoutMs)
    : server_(std::move(server)), timeoutMs_(timeoutMs), net_(std::make_unique<QNetworkAccessManager>())
{
    authorization_ = "Basic " + (user + u':' + password).toUtf8().toBase64();
    net_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

CalDavClient::~CalDavClient() = default;

DavResponse CalDavClient::send(const QByteArray &method, const QUrl &url, const QByteArray &body,
                               const QList<QPair<QByteArray, QByteArray>> &headers)
{
    return finish(start(method, url, body, headers));
}

QNetworkReply *CalDavClient::start(const QByteArray &method, const QUrl &url, const QByteArray &body,
                                   const QList<QPair<QByteArray, QByteArray>> &headers)
{
    if (cancel && cancel->load())
        return nullptr;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", authorization_);
    request.setRawHeader("User-Agent", "Morvane");
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          method == "PUT" ? "text/calendar; charset=utf-8" : "application/xml; charset=utf-8");
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // Certificate errors are failures: nothing here ever ignores them.
    return net_->sendCustomRequest(request, method, body);
}

void CalDavClient::drop(QNetworkReply *reply)
{
    if (!reply)
        return;
    reply->abort();
    reply->deleteLater();
}

DavResponse CalDavClient::finish(QNetworkReply *reply)
{
    if (!reply) {
        DavResponse stopped;
        stopped.error = QNetworkReply::OperationCanceledError;
        stopped.errorText = u"The sync was stopped."_s;
        return stopped;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    timer.start(timeoutMs_);
    QTimer watch;
    if (cancel) {
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            if (cancel->load())
                reply->abort();
        });
        watch.start(50);
    }
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    DavResponse r;
    r.timedOut = timedOut;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.error = reply->error();
    r.errorText = reply->errorString();
    if (reply->isOpen())
        r.body = reply->readAll();
    r.etag = reply->rawHeader("ETag");
    r.location = reply->rawHeader("Location");
    reply->deleteLater();
    ++requests_;
    if (afterRequest)
        afterRequest(requests_);
    return r;
}

DavResponse CalDavClient::propfind(const QUrl &url, int depth, const QByteArray &props)
{
    return finish(startPropfind(url, depth, props));
}

QNetworkReply *CalDavClient::startPropfind(const QUrl &url, int depth, const QByteArray &props)
{
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
                            "xmlns:a=\"http://apple.com/ns/ical/\" xmlns:cs=\"http://calendarserver.org/ns/\">"
                            "<d:prop>" + props + "</d:prop></d:propfind>";
    return start("PROPFIND", url, body, {{"Depth", QByteArray::number(depth)}});
}

DavResponse CalDavClient::report(const QUrl &url, int depth, const QByteArray &body)
{
    return send("REPORT", url, body, {{"Depth", QByteArray::number(depth)}});
}

QString CalDavClient::failureText(const DavResponse &r) const
{
    const QString host = server_.host();
    if (r.timedOut)
        return u"The server %1 did not answer in time."_s.arg(host);
    if (r.status == 401)
        return u"The server refused the user name or password."_s;
    if (r.status == 403)
        return u"The server does not let this user do that (403 Forbidden)."_s;
    if (r.status >= 500)
        return u"The server %1 reported an error (%2). Try again later."_s.arg(host).arg(r.status);
    if (r.status >= 300)
        return u"The server %1 answered %2, which this program did not expect."_s.arg(host).arg(r.status);
    switch (r.error) {
    case QNetworkReply::HostNotFoundError:
        return u"There is no server called %1."_s.arg(host);
    case QNetworkReply::ConnectionRefusedError:
        return u"No server answers at %1 (the connection was refused)."_s.arg(server_.authority());
    case QNetworkReply::SslHandshakeFailedError:
        return u"The server's certificate is not trusted, so nothing was sent to %1."_s.arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return u"The server %1 did not answer in time."_s.arg(host);
    case QNetworkReply::RemoteHostClosedError:
        return u"The server %1 closed the connection."_s.arg(host);
    case QNetworkReply::NoError:
        return {};
    default:
        return u"The server %1 could not be reached: %2"_s.arg(host, r.errorText);
    }
}

}  // namespace morvane
