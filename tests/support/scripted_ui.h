#pragma once

#include <deque>
#include <vector>

#include "main_window/ui_services.h"

// Answers file dialogs and message boxes from a script and records what
// was asked. An unscripted dialog is cancelled; an unscripted question is
// answered Yes.
class ScriptedUi final : public UiServices {
 public:
  QString SaveFileName(QWidget*, const FileRequest& request) override {
    fileRequests.push_back(request);
    return Next(fileAnswers);
  }
  QString OpenFileName(QWidget*, const FileRequest& request) override {
    fileRequests.push_back(request);
    return Next(fileAnswers);
  }
  Answer ShowMessage(QWidget*, const Message& message) override {
    messages.push_back(message);
    if (answers.empty()) return message.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<QString> fileAnswers;
  std::deque<Answer> answers;
  std::vector<FileRequest> fileRequests;
  std::vector<Message> messages;

 private:
  static QString Next(std::deque<QString>& queue) {
    if (queue.empty()) return {};
    QString next = queue.front();
    queue.pop_front();
    return next;
  }
};
