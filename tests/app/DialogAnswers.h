#pragma once

#include "app/frmOptions.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

namespace quadrel::test {

// Answers the modal dialog of type T each time a new one shows, in order.
// A dialog that shows with no answer left is cancelled and counted, so a test
// never hangs on it.
class DialogAnswers {
public:
    using Answer = std::function<void(frmOptions&)>;
    DialogAnswers();
    ~DialogAnswers();
    void Add(Answer answer) { answers_.push_back(std::move(answer)); }
    int shown() const { return shown_; }
    int unanswered() const { return unanswered_; }

private:
    std::vector<Answer> answers_;
    int shown_ = 0;
    int unanswered_ = 0;
    QPointer<QObject> handled_;
    std::unique_ptr<QObject> poll_;
};

} // namespace quadrel::test
