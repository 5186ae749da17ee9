#include "lookup/qt_http_client.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace snx {

QtHttpClient::QtHttpClient(int timeoutMs) : timeoutMs_(timeoutMs) {
    clock_.start();
}

QtHttpClient::~QtHttpClient() {
    // Replies still open are dropped unanswered: their callbacks die with context_.
    const QList<QNetworkReply*> replies = context_.findChildren<QNetworkReply*>();
    for (QNetworkReply* reply : replies) {
        reply->disconnect(&context_);
        reply->abort();
        delete reply;
    }
}

void QtHttpClient::Get(const std::string& url, const HttpHeaders& headers,
                       std::function<void(const HttpAnswer&)> done) {
    QNetworkRequest request(QUrl(QString::fromStdString(url)));
    for (const auto& [name, value] : headers) {
        request.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    }
    request.setTransferTimeout(timeoutMs_);
    QNetworkReply* reply = manager_.get(request);
    reply->setParent(&context_);
    QObject::connect(reply, &QNetworkReply::finished, &context_, [reply, done = std::move(done)] {
        reply->deleteLater();
        HttpAnswer answer;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        answer.Status = status.isValid() ? status.toInt() : 0;
        answer.Body = reply->readAll().toStdString();
        if (answer.Status == 0) {
            // Qt reports its transfer timeout as an abandoned request.
            const bool late = reply->error() == QNetworkReply::OperationCanceledError ||
                              reply->error() == QNetworkReply::TimeoutError;
            answer.Error = late ? "the server did not answer in time."
                                : reply->errorString().toStdString() + ".";
        }
        done(answer);
    });
}

void QtHttpClient::After(int milliseconds, std::function<void()> task) {
    QTimer::singleShot(milliseconds, &context_, std::move(task));
}

std::int64_t QtHttpClient::NowMs() const {
    return clock_.elapsed();
}

}  // namespace snx
