#include "model/LocalFileNames.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quadrel::LocalFileNames {

namespace {

constexpr char16_t kKeptByte = 0xDC00; // + the byte, 0x80 to 0xFF

bool Continuation(unsigned char c, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return c >= low && c <= high;
}

// The length of the valid UTF-8 sequence at `p` and its code point, or 0.
int Sequence(const unsigned char* p, qsizetype left, char32_t& code) {
    const unsigned char c = p[0];
    if (c < 0x80) {
        code = c;
        return 1;
    }
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        code = c & 0x0F;
        low = c == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = c == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        code = c & 0x07;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (left < length || !Continuation(p[1], low, high)) {
        return 0;
    }
    code = (code << 6) | (p[1] & 0x3F);
    for (int i = 2; i < length; ++i) {
        if (!Continuation(p[i])) {
            return 0;
        }
        code = (code << 6) | (p[i] & 0x3F);
    }
    return length;
}

void PutUtf8(QByteArray& out, char32_t code) {
    if (code < 0x80) {
        out.append(static_cast<char>(code));
    } else if (code < 0x800) {
        out.append(static_cast<char>(0xC0 | (code >> 6)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.append(static_cast<char>(0xE0 | (code >> 12)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (code >> 18)));
        out.append(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool WriteAll(int fd, const QByteArray& content) {
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n =
            ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

QString Decode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        char32_t code = 0;
        const int length = Sequence(p + i, size - i, code);
        if (length == 0) {
            out.append(QChar(static_cast<char16_t>(kKeptByte + p[i])));
            ++i;
            continue;
        }
        const char32_t one[] = {code};
        out.append(QString::fromUcs4(one, 1));
        i += length;
    }
    return out;
}

QByteArray Encode(const QString& name) {
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() &&
            name.at(i + 1).isLowSurrogate()) {
            PutUtf8(out, QChar::surrogateToUcs4(unit, name.at(i + 1).unicode()));
            ++i;
        } else if (unit >= kKeptByte + 0x80 && unit <= kKeptByte + 0xFF) {
            out.append(static_cast<char>(unit - kKeptByte));
        } else if (QChar::isSurrogate(unit)) {
            out.append('?'); // as Qt writes a lone surrogate
        } else {
            PutUtf8(out, unit);
        }
    }
    return out;
}

bool WriteAtomically(const QByteArray& path, const QByteArray& content, QString& error) {
    QByteArray target = path;
    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        error = QCoreApplication::translate("LocalFileNames", "not a regular file");
        return false;
    }
    // A link is written through, to the file it names, and stays a link.
    struct stat link {};
    if (existed && ::lstat(target.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* resolved = ::realpath(target.constData(), nullptr);
        if (resolved == nullptr) {
            error = SystemError();
            return false;
        }
        target = resolved;
        std::free(resolved);
    }
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = target + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".new";
        // 0666 less the umask, as QSaveFile makes a new file.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error = SystemError();
        return false;
    }
    bool ok = WriteAll(fd, content) && (!existed || ::fchmod(fd, old.st_mode & 07777) == 0) &&
              ::fsync(fd) == 0;
    if (!ok) {
        error = SystemError();
    }
    if (::close(fd) != 0 && ok) {
        error = SystemError();
        ok = false;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        error = SystemError();
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.constData());
    }
    return ok;
}

} // namespace quadrel::LocalFileNames
