#include "DialogAnswers.h"

#include <QApplication>
#include <QTimer>

namespace quadrel::test {

DialogAnswers::DialogAnswers() : poll_(std::make_unique<QObject>()) {
    auto* timer = new QTimer(poll_.get());
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, poll_.get(), [this] {
        auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog == handled_ || !dialog->isVisible()) {
            return;
        }
        handled_ = dialog;
        if (shown_ < static_cast<int>(answers_.size())) {
            answers_[static_cast<size_t>(shown_++)](*dialog);
        } else {
            ++shown_;
            ++unanswered_;
            dialog->reject();
        }
    });
    timer->start();
}

DialogAnswers::~DialogAnswers() = default;

} // namespace quadrel::test
