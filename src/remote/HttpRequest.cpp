#include "remote/HttpRequest.h"

namespace quadrel::remote {

namespace {

bool IsTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool IsToken(const QByteArray& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (char c : text) {
        if (!IsTokenChar(c)) {
            return false;
        }
    }
    return true;
}

// Visible ASCII, space and tab; and bytes past ASCII, which some send.
bool IsFieldValue(const QByteArray& text) {
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t') || u == 0x7f) {
            return false;
        }
    }
    return true;
}

int Hex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

QByteArray HttpRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

bool HttpReader::SplitPath(const QByteArray& path, QStringList& segments) {
    segments.clear();
    if (!path.startsWith('/')) {
        return false;
    }
    const QList<QByteArray> parts = path.mid(1).split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& part = parts[i];
        if (part.isEmpty() && i + 1 == parts.size()) {
            break; // a trailing slash
        }
        QByteArray decoded;
        for (qsizetype k = 0; k < part.size(); ++k) {
            if (part[k] != '%') {
                decoded += part[k];
                continue;
            }
            const int high = k + 2 < part.size() ? Hex(part[k + 1]) : -1;
            const int low = k + 2 < part.size() ? Hex(part[k + 2]) : -1;
            if (high < 0 || low < 0) {
                return false;
            }
            decoded += static_cast<char>(high * 16 + low);
            k += 2;
        }
        // Nothing that a file path could climb with, now or later.
        if (decoded.isEmpty() || decoded == "." || decoded == ".." || decoded.contains('/') ||
            decoded.contains('\\') || decoded.contains('\0')) {
            return false;
        }
        const QString text = QString::fromUtf8(decoded);
        if (text.toUtf8() != decoded) {
            return false; // not UTF-8
        }
        segments << text;
    }
    return true;
}

HttpReader::State HttpReader::Fail(int status, const QString& reason) {
    status_ = status;
    reason_ = reason;
    return State::Bad;
}

bool HttpReader::TakeLine(const QByteArray& line) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !IsToken(parts[0])) {
        Fail(400, QStringLiteral("the request line is not METHOD TARGET HTTP/1.1"));
        return false;
    }
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0") {
        Fail(505, QStringLiteral("only HTTP/1.1 is spoken"));
        return false;
    }
    request_.method = parts[0];
    request_.target = parts[1];
    request_.keepAlive = parts[2] == "HTTP/1.1";
    const qsizetype mark = parts[1].indexOf('?');
    const QByteArray path = mark < 0 ? parts[1] : parts[1].left(mark);
    request_.query = mark < 0 ? QByteArray() : parts[1].mid(mark + 1);
    if (!IsFieldValue(parts[1]) || !SplitPath(path, request_.segments)) {
        Fail(400, QStringLiteral("the path is not a plain path"));
        return false;
    }
    return true;
}

bool HttpReader::TakeHeader(const QByteArray& line) {
    if (static_cast<int>(request_.headers.size()) >= limits_.maxHeaders) {
        Fail(431, QStringLiteral("more than %1 headers").arg(limits_.maxHeaders));
        return false;
    }
    const qsizetype colon = line.indexOf(':');
    const QByteArray name = colon < 0 ? QByteArray() : line.left(colon).toLower();
    // A line that begins with a space folds the header before it: refused,
    // as are names with spaces before the colon.
    if (colon <= 0 || !IsToken(name)) {
        Fail(400, QStringLiteral("a header is not NAME: VALUE"));
        return false;
    }
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (!IsFieldValue(value)) {
        Fail(400, QStringLiteral("a header holds control characters"));
        return false;
    }
    request_.headers.emplace_back(name, value);
    return true;
}

bool HttpReader::HeadersDone() {
    if (!request_.header("transfer-encoding").isEmpty()) {
        Fail(501, QStringLiteral("bodies are sent with Content-Length only"));
        return false;
    }
    QByteArray length;
    for (const auto& [key, value] : request_.headers) {
        if (key == "content-length") {
            if (!length.isNull() && value != length) {
                Fail(400, QStringLiteral("two different Content-Length headers"));
                return false;
            }
            length = value;
        }
    }
    bodyLength_ = 0;
    if (!length.isNull()) {
        bool ok = length.size() <= 18;
        for (char c : length) {
            ok = ok && c >= '0' && c <= '9';
        }
        bodyLength_ = ok && !length.isEmpty() ? length.toLongLong() : -1;
        if (bodyLength_ < 0) {
            Fail(400, QStringLiteral("Content-Length is not a number"));
            return false;
        }
        if (bodyLength_ > limits_.maxBody) {
            Fail(413, QStringLiteral("a body is at most %1 bytes").arg(limits_.maxBody));
            return false;
        }
    }
    const QByteArray connection = request_.header("connection").toLower();
    if (connection == "close") {
        request_.keepAlive = false;
    } else if (connection == "keep-alive") {
        request_.keepAlive = true;
    }
    return true;
}

HttpReader::State HttpReader::Feed(QByteArray& buffer) {
    while (stage_ != Stage::Body) {
        const qsizetype end = buffer.indexOf('\n');
        if (end < 0) {
            if (buffer.size() > limits_.maxLine) {
                return stage_ == Stage::Line
                           ? Fail(414, QStringLiteral("the request line is too long"))
                           : Fail(431, QStringLiteral("a header is too long"));
            }
            return State::Partial;
        }
        if (end > limits_.maxLine) {
            return stage_ == Stage::Line ? Fail(414, QStringLiteral("the request line is too long"))
                                         : Fail(431, QStringLiteral("a header is too long"));
        }
        QByteArray line = buffer.left(end);
        buffer.remove(0, end + 1);
        if (!line.endsWith('\r')) {
            return Fail(400, QStringLiteral("lines end with CR LF"));
        }
        line.chop(1);
        if (stage_ == Stage::Line) {
            if (line.isEmpty() && request_.method.isEmpty()) {
                continue; // a blank line between requests is allowed
            }
            if (!TakeLine(line)) {
                return State::Bad;
            }
            stage_ = Stage::Headers;
            continue;
        }
        headerBytes_ += static_cast<int>(line.size());
        if (headerBytes_ > limits_.maxHeaderBytes) {
            return Fail(431, QStringLiteral("the headers are too large"));
        }
        if (line.isEmpty()) {
            if (!HeadersDone()) {
                return State::Bad;
            }
            stage_ = Stage::Body;
        } else if (!TakeHeader(line)) {
            return State::Bad;
        }
    }
    const qint64 missing = bodyLength_ - request_.body.size();
    request_.body += buffer.left(missing);
    buffer.remove(0, std::min<qint64>(missing, buffer.size()));
    return request_.body.size() == bodyLength_ ? State::Complete : State::Partial;
}

HttpRequest HttpReader::take() {
    HttpRequest out = std::move(request_);
    request_ = {};
    stage_ = Stage::Line;
    bodyLength_ = 0;
    headerBytes_ = 0;
    return out;
}

} // namespace quadrel::remote
