#include "platform/Network.h"

#include "platform/Cp1252.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>
#include <thread>

namespace vardelo::platform {

namespace {

// The look-up's result, shared with its thread, which may outlive the wait.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<QHostAddress> address;
};

// The name service cannot be interrupted: the look-up runs in a detached thread, and the caller
// stops waiting at the deadline. Unlike Qt's own look-up pool, nothing waits for it at exit.
std::optional<QHostAddress> resolveBefore(const QString& host, const QDeadlineTimer& deadline,
                                          const HostResolver& resolve)
{
    QHostAddress literal;
    if (literal.setAddress(host))
        return literal;
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, resolve] {
        std::optional<QHostAddress> address = resolve(host);
        const std::lock_guard lock(lookup->mutex);
        lookup->address = address;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    lookup->done.wait_for(lock, std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime())),
                          [&] { return lookup->finished; });
    return lookup->finished ? lookup->address : std::nullopt;
}

} // namespace

std::optional<QHostAddress> resolveWithSystem(const QString& host)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    const QHostAddress address(found->ai_addr);
    freeaddrinfo(found);
    return address;
}

bool isVersionText(const QString& text)
{
    static const QRegularExpression version(QStringLiteral(R"(^\s*[0-9]{1,6}(\.[0-9]{1,6}){0,3}\s*$)"));
    return version.match(text).hasMatch();
}

QString getContent(const QString& url, int timeoutMs, const HostResolver& resolve)
{
    const QDeadlineTimer deadline(timeoutMs);
    QUrl address(url);
    const QString host = address.host();
    if (!address.isValid() || host.isEmpty())
        return QString();
    const std::optional<QHostAddress> ip = resolveBefore(host, deadline, resolve);
    if (!ip || deadline.hasExpired())
        return QString();
    // Connect to the address found, while the request still names the host: the Host header for
    // the server, and the name the certificate of an HTTPS server must carry.
    address.setHost(ip->toString());
    QNetworkRequest request{address};
    const int port = QUrl(url).port();
    request.setRawHeader("Host", (port >= 0 ? host + u':' + QString::number(port) : host).toUtf8());
    request.setPeerVerifyName(host);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Check"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    // A redirection would need a look-up of its own, outside the bounded one.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    const int remaining = int(std::max<qint64>(1, deadline.remainingTime()));
    request.setTransferTimeout(remaining);

    QNetworkAccessManager manager;
    manager.setCookieJar(nullptr);
    QNetworkReply* reply = manager.get(request);
    bool tooLarge = false;
    auto refuseLarge = [&] {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > MaxVersionBodyBytes || reply->bytesAvailable() > MaxVersionBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, refuseLarge);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, refuseLarge);
    reply->setReadBufferSize(MaxVersionBodyBytes + 1);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(remaining);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    QString content;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An error page is not a version: reading it as one would hand its HTML to the updater.
    if (!tooLarge && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
        const QByteArray body = reply->read(MaxVersionBodyBytes + 1);
        if (body.size() <= MaxVersionBodyBytes) {
            content = decodeCp1252(body);
            if (!isVersionText(content))
                content.clear();
        }
    }
    reply->deleteLater();
    return content;
}

} // namespace vardelo::platform
