// Asking the maker's web server whether a newer version exists, and telling the user.
#pragma once

#include <string>

#include "SorvelVersion.h"
#include "platform/UserDialogs.h"

namespace sorvel {

constexpr char kProductName[] = "Sorvel";

// The maker's update server, web site (shown to the user) and the product's page.
constexpr char kUpdateServerHost[] = "www.tarnwick-music.example";
constexpr char kMakerWebHost[] = "www.tarnwick-music.example";
constexpr char kProductWebPage[] = "http://www.tarnwick-music.example/music/sorvel/";
constexpr char kMakerWebPage[] = "http://www.tarnwick-music.example/";
constexpr char kVersionDocumentPath[] = "music/version/?file=sorvel";
constexpr char kUpdateCheckCaption[] = "Check Online for Update";
// Names another server as "host" or "host:port" (an IPv6 address in brackets).
constexpr char kUpdateServerVariable[] = "SORVEL_UPDATE_SERVER";

struct UpdateServer {
  std::string host = kUpdateServerHost;
  int port = 80;
  // A server that never answers must not hold the user's interface for long.
  long connectTimeoutMs = 5000;
  long totalTimeoutMs = 15000;

  // The maker's server, or the one SORVEL_UPDATE_SERVER names.
  static UpdateServer fromEnvironment();
  // Reads "host", "host:port" or "[address]:port"; false (and nothing changed) when malformed.
  bool parse(const std::string& text);
};

enum UpdateCheckResult : int {
  kUpdateResultTold = 0,
  kUpdateNoAnswer = -1,
  kUpdateErrorRaised = -2,
  kUpdateNotAVersionDocument = -3,
};

// Fetches the version document, compares it with our version and tells the user; on Yes to a new
// version, opens the product's page. Never throws.
int checkForUpdate(UserDialogs& dialogs, const UpdateServer& server);

// The options menu's "Go Online..." entries: the update check (a program command) and a visit to
// the maker's web site.
constexpr char kCheckOnlineMenuText[] = "Check Online for Update";
std::string visitMakerMenuText();
bool visitMakerWebSite(UserDialogs& dialogs);

// The document's leading decimal integer (blanks and a sign allowed), 0 when there is none; held
// to the int range.
int leadingVersionNumber(const std::string& document);

// "1304" gives "1.3.4", "1310" gives "1.3.10", "1400" gives "1.4.0": the first character, a dot,
// the second, a dot, then the rest from the third on, or from the fourth when the third is '0'.
std::string newVersionText(const std::string& document);

}  // namespace sorvel
