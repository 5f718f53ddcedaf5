#pragma once

#include "app/MessageBoxes.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace quadrel::test {

// Answers every message at once and keeps its text; answers questions from
// `answers` in order, and with Cancel when none is left.
class RecordingMessages : public MessageBoxes {
public:
    void MsgBox(QWidget*, const QString& text) override { texts << text; }
    Answer Ask(QWidget*, const Question& question) override {
        questions.push_back(question);
        if (whileAsked) {
            whileAsked();
        }
        if (answers.empty()) {
            return {};
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QStringList texts;
    std::vector<Question> questions;
    std::deque<Answer> answers;
    // Runs while a question is open, as the line does.
    std::function<void()> whileAsked;
};

} // namespace quadrel::test
