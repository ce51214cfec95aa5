#pragma once

#include <deque>
#include <new>
#include <vector>

#include "main_window/ui_services.h"

// Answers file dialogs and message boxes from a script and records what
// was asked. An unscripted dialog is cancelled; an unscripted question is
// answered Yes. With failFileDialogs a file dialog throws as when memory runs out.
class ScriptedUi final : public UiServices {
 public:
  QString SaveFileName(QWidget*, const FileRequest& request) override { return Next(request); }
  QString OpenFileName(QWidget*, const FileRequest& request) override { return Next(request); }
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
  bool failFileDialogs = false;

 private:
  QString Next(const FileRequest& request) {
    if (failFileDialogs) throw std::bad_alloc();
    fileRequests.push_back(request);
    const QString next = fileAnswers.empty() ? QString() : fileAnswers.front();
    if (!fileAnswers.empty()) fileAnswers.pop_front();
    return next;
  }
};
