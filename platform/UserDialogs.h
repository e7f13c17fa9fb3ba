// What the plug-in asks of the user: modal messages, file choices and web pages. Desktop, headless
// and scripted (test) implementations stand behind this one interface.
#pragma once

#include <memory>
#include <string>

namespace sorvel {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };
enum class MessageIcon { None, Information, Error };

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  virtual MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageButtons buttons) = 0;
  // A message marked as information or as an error; dialogs without icons show it plainly.
  virtual MessageAnswer showMessageWithIcon(const std::string& text, const std::string& caption,
                                            MessageButtons buttons, MessageIcon /*icon*/) {
    return showMessage(text, caption, buttons);
  }
  // extension is "fxp" or "fxb"; false when the user cancels.
  virtual bool chooseFileToOpen(const std::string& startFolder, const std::string& extension, std::string& chosen) = 0;
  virtual bool chooseFileToSave(const std::string& startFolder, const std::string& proposedName,
                                const std::string& extension, std::string& chosen) = 0;
  virtual bool openWebPage(const std::string& address) = 0;
};

// The dialogs a desktop user has (a dialog program when one is installed), else a headless
// stand-in that prints messages and answers No or cancel, so nothing is overwritten unasked.
std::unique_ptr<UserDialogs> makeSystemDialogs();

}  // namespace sorvel
