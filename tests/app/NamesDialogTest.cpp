#include "app/NamesDialog.h"
#include "model/NamesCsv.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace quadrel;

// A names file that never ends (a pipe, a device) is read only up to the
// limit: the import is refused without waiting for an end that never comes.
TEST(NamesDialog, AnEndlessFileIsReadOnlyToTheLimitAndRefused) {
    QTemporaryDir dir;
    const QByteArray fifo = (dir.path() + "/names.csv").toLocal8Bit();
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    struct sigaction ignore {
    }, before{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &before); // the dialog closes its end first
    std::mutex m;
    std::condition_variable cv;
    bool done = false, waitedOut = false;
    std::thread writer([&] {
        const int fd = ::open(fifo.constData(), O_WRONLY); // once the dialog opens it
        const std::string chunk(64 * 1024, 'x');
        for (qint64 sent = 0; sent <= NamesCsv::kMaxBytes;) {
            const ssize_t n = ::write(fd, chunk.data(), chunk.size());
            if (n <= 0) {
                break;
            }
            sent += n;
        }
        std::unique_lock lock(m);
        waitedOut = !cv.wait_for(lock, std::chrono::seconds(10), [&] { return done; });
        ::close(fd);
    });
    NamesDialog dialog("Unit 01", UnitNames{}, {4, 4, 2});
    EXPECT_FALSE(dialog.ImportFrom(QString::fromLocal8Bit(fifo)));
    {
        std::lock_guard lock(m);
        done = true;
    }
    cv.notify_one();
    writer.join();
    sigaction(SIGPIPE, &before, nullptr);
    EXPECT_FALSE(waitedOut);
}
