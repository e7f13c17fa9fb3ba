// Dialogs that answer from a script and record every question, for the command tests.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/UserDialogs.h"

namespace testdialogs {

using sorvel::MessageAnswer;
using sorvel::MessageButtons;

struct DialogCall {
  enum Kind { Message, Open, Save, WebPage } kind = Message;
  std::string text;  // message text, or the address of a web page
  std::string caption;
  MessageButtons buttons = MessageButtons::Ok;
  std::string startFolder;
  std::string extension;
  std::string proposedName;
  sorvel::MessageIcon icon = sorvel::MessageIcon::None;
};

// Questions take the next answer (No when none is left); file dialogs the next path (cancel when
// none is left or the path is empty).
struct DialogScript {
  std::deque<MessageAnswer> answers;
  std::deque<std::string> files;
  std::vector<DialogCall> calls;
  // Runs as each dialog opens.
  std::function<void()> onOpen;

  std::vector<DialogCall> messages() const {
    std::vector<DialogCall> found;
    for (const auto& call : calls) {
      if (call.kind == DialogCall::Message) found.push_back(call);
    }
    return found;
  }
};

class ScriptedDialogs : public sorvel::UserDialogs {
 public:
  explicit ScriptedDialogs(std::shared_ptr<DialogScript> script) : script_(std::move(script)) {}

  MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageButtons buttons) override {
    opening();
    script_->calls.push_back({DialogCall::Message, text, caption, buttons, "", "", ""});
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (script_->answers.empty()) return MessageAnswer::No;
    const MessageAnswer answer = script_->answers.front();
    script_->answers.pop_front();
    return answer;
  }
  MessageAnswer showMessageWithIcon(const std::string& text, const std::string& caption, MessageButtons buttons,
                                    sorvel::MessageIcon icon) override {
    const MessageAnswer answer = showMessage(text, caption, buttons);
    script_->calls.back().icon = icon;
    return answer;
  }
  bool chooseFileToOpen(const std::string& startFolder, const std::string& extension, std::string& chosen) override {
    opening();
    script_->calls.push_back({DialogCall::Open, "", "", MessageButtons::Ok, startFolder, extension, ""});
    return nextFile(chosen);
  }
  bool chooseFileToSave(const std::string& startFolder, const std::string& proposedName, const std::string& extension,
                        std::string& chosen) override {
    opening();
    script_->calls.push_back({DialogCall::Save, "", "", MessageButtons::Ok, startFolder, extension, proposedName});
    return nextFile(chosen);
  }
  bool openWebPage(const std::string& address) override {
    script_->calls.push_back({DialogCall::WebPage, address, "", MessageButtons::Ok, "", "", ""});
    return true;
  }

 private:
  void opening() const {
    if (script_->onOpen) script_->onOpen();
  }
  bool nextFile(std::string& chosen) {
    chosen.clear();
    if (script_->files.empty()) return false;
    chosen = script_->files.front();
    script_->files.pop_front();
    return !chosen.empty();
  }

  std::shared_ptr<DialogScript> script_;
};

}  // namespace testdialogs
