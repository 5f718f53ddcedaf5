// Arbitrary bytes at the network doors: read as HTTP requests in arbitrary
// pieces and turned into commands, or as lines of the text protocol, then
// past the staff's role check. Nothing may crash, hang or grow without
// bound, and whatever passes the door must be a command that quadrel-ctl's
// grammar accepts and that names only what a network client may name.
#include "remote/Door.h"
#include "remote/HttpRequest.h"

#include <cstdint>
#include <cstdlib>

using quadrel::remote::Door::Admit;
using quadrel::remote::Door::FromHttp;
using quadrel::remote::Door::FromLine;

namespace {

void Check(const quadrel::remote::Asked& asked) {
    if (!asked) {
        return;
    }
    quadrel::StaffRules staff;
    staff.outputs[0] = {1, 2};
    staff.scenes = {QStringLiteral("Lecture")};
    for (const auto role : {quadrel::Role::Staff, quadrel::Role::Technician}) {
        const quadrel::remote::Asked admitted = Admit(role, staff, asked.command);
        if (!admitted) {
            continue;
        }
        const quadrel::ctl::CtlCommand& c = *admitted.command;
        using K = quadrel::ctl::CtlCommand::Kind;
        // Never a file, the port or the trace from the network.
        if (c.kind == K::Save || c.kind == K::Restore || c.port || c.baud || c.trace) {
            std::abort();
        }
        // The staff's route reaches only their outputs.
        if (role == quadrel::Role::Staff && (c.kind == K::Route || c.kind == K::Disconnect)) {
            for (int output : c.outputs) {
                if (c.id != 0 || (output != 1 && output != 2)) {
                    std::abort();
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1,
                           static_cast<qsizetype>(size - 1));
    if ((data[0] & 1) != 0) {
        for (const QByteArray& line : bytes.split('\n')) {
            Check(FromLine(line));
        }
        return 0;
    }
    // Pieces of the sizes the first byte's bits say, as the network hands them over.
    quadrel::remote::HttpReader::Limits limits;
    limits.maxLine = 256;
    limits.maxHeaders = 8;
    limits.maxHeaderBytes = 1024;
    limits.maxBody = 512;
    quadrel::remote::HttpReader reader(limits);
    QByteArray buffer;
    const qsizetype piece = 1 + (data[0] >> 1);
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        buffer += bytes.mid(at, piece);
        for (;;) {
            const auto state = reader.Feed(buffer);
            if (state == quadrel::remote::HttpReader::State::Bad) {
                return 0;
            }
            if (state == quadrel::remote::HttpReader::State::Partial) {
                break;
            }
            const quadrel::remote::HttpRequest request = reader.take();
            if (request.body.size() > limits.maxBody) {
                std::abort();
            }
            for (const QString& s : request.segments) {
                if (s == u".." || s == u"." || s.contains(u'/') || s.isEmpty()) {
                    std::abort();
                }
            }
            if (request.segments.size() >= 2) {
                Check(FromHttp(request.segments.mid(2), request.body));
            }
        }
        if (buffer.size() > limits.maxLine + limits.maxHeaderBytes + limits.maxBody + 2 * piece) {
            std::abort(); // held past every limit
        }
    }
    return 0;
}
