#include "instrument/UpdateCheck.h"

#include <cctype>
#include <cstdlib>

#include "instrument/ConfigurationValues.h"
#include "platform/HttpClient.h"

namespace sorvel {

namespace {

void tellNoAnswer(UserDialogs& dialogs, const UpdateServer& server) {
  dialogs.showMessageWithIcon("An error occurred while contacting " + server.host + ".", kUpdateCheckCaption,
                              MessageButtons::Ok, MessageIcon::Error);
}

std::string newVersionQuestion(const std::string& newVersion) {
  return std::string("A new version of ") + kProductName + " is available.\n\n" + "\tYour version: \t" +
         kVersionText + "\n" + "\tNew version: \t" + newVersion + "\n" + "\nDo you want to go to " +
         kMakerWebHost + " to get the new version?";
}

int tellResult(UserDialogs& dialogs, const UpdateServer& server, const std::string& document) {
  if (document.empty()) {
    tellNoAnswer(dialogs, server);
    return kUpdateNoAnswer;
  }
  if (document.find('<') != std::string::npos) {
    dialogs.showMessageWithIcon("Invalid call to " + server.host + ".", kUpdateCheckCaption, MessageButtons::Ok,
                                MessageIcon::Error);
    return kUpdateNotAVersionDocument;
  }
  if (leadingVersionNumber(document) < kVersionNumber + 1) {
    dialogs.showMessageWithIcon("Your version is up to date.", kUpdateCheckCaption, MessageButtons::Ok,
                                MessageIcon::Information);
    return kUpdateResultTold;
  }
  const std::string caption = std::string("New Version of ") + kProductName + " Detected";
  const MessageAnswer answer =
      dialogs.showMessage(newVersionQuestion(newVersionText(document)), caption, MessageButtons::YesNo);
  if (answer == MessageAnswer::Yes) dialogs.openWebPage(kProductWebPage);
  return kUpdateResultTold;
}

}  // namespace

UpdateServer UpdateServer::fromEnvironment() {
  UpdateServer server;
  const char* chosen = std::getenv(kUpdateServerVariable);
  if (chosen != nullptr && chosen[0] != '\0') server.parse(chosen);
  return server;
}

bool UpdateServer::parse(const std::string& text) {
  std::string name = text;
  std::string rest;  // ":port" or nothing
  if (!text.empty() && text.front() == '[') {
    const auto close = text.find(']');
    if (close == std::string::npos) return false;
    name = text.substr(1, close - 1);
    rest = text.substr(close + 1);
  } else if (const auto colon = text.find(':'); colon != std::string::npos) {
    name = text.substr(0, colon);
    rest = text.substr(colon);
  }
  if (name.empty()) return false;
  int number = 80;
  if (!rest.empty()) {
    const std::string digits = rest.substr(1);
    if (rest.front() != ':' || digits.empty() || digits.size() > 5) return false;
    number = 0;
    for (char c : digits) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
      number = number * 10 + (c - '0');
    }
    if (number < 1 || number > 65535) return false;
  }
  host = name;
  port = number;
  return true;
}

int leadingVersionNumber(const std::string& document) { return leadingInteger(document); }

std::string newVersionText(const std::string& document) {
  if (document.size() < 3) return document;
  const std::size_t restFrom = document[2] == '0' ? 3 : 2;
  return std::string(1, document[0]) + "." + document[1] + "." + document.substr(restFrom);
}

int checkForUpdate(UserDialogs& dialogs, const UpdateServer& server) {
  try {
    HttpGetRequest request;
    request.host = server.host;
    request.port = server.port;
    request.path = kVersionDocumentPath;
    request.userAgent = kProductName;
    request.connectTimeoutMs = server.connectTimeoutMs;
    request.totalTimeoutMs = server.totalTimeoutMs;
    const HttpGetAnswer answer = httpGet(request);
    // A server that stops answering part way has not answered.
    const std::string document = answer.outcome == HttpGetAnswer::Outcome::TimedOut ? std::string() : answer.body;
    return tellResult(dialogs, server, document);
  } catch (...) {
    try {
      tellNoAnswer(dialogs, server);
    } catch (...) {
    }
    return kUpdateErrorRaised;
  }
}

std::string visitMakerMenuText() { return std::string("Visit ") + kMakerWebHost; }

bool visitMakerWebSite(UserDialogs& dialogs) { return dialogs.openWebPage(kMakerWebPage); }

}  // namespace sorvel
