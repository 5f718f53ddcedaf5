#pragma once

#include "app/frmOptions.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

namespace quadrel::test {

// Answers the modal dialog of type T each time a new one shows, in order.
// A dialog that shows with no answer left is cancelled and counted, so a test
// never hangs on it.
class DialogAnswers {
public:
    using Answer = std::function<void(frmOptions&)>;
    DialogAnswers() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (dialog == nullptr || dialog == handled_ || !dialog->isVisible()) {
                return;
            }
            handled_ = dialog;
            if (shown_++ < static_cast<int>(answers_.size())) {
                answers_[static_cast<size_t>(shown_ - 1)](*dialog);
            } else {
                ++unanswered_;
                dialog->reject();
            }
        });
        timer_.start();
    }
    void Add(Answer answer) { answers_.push_back(std::move(answer)); }
    int shown() const { return shown_; }
    int unanswered() const { return unanswered_; }

private:
    std::vector<Answer> answers_;
    int shown_ = 0;
    int unanswered_ = 0;
    QPointer<QObject> handled_;
    QTimer timer_;
};

} // namespace quadrel::test
