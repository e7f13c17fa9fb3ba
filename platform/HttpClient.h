// A plain HTTP GET with time-outs, for short text documents.
#pragma once

#include <cstddef>
#include <string>

namespace sorvel {

struct HttpGetRequest {
  std::string host;  // a name or an address; an IPv6 address without brackets
  int port = 80;
  std::string path;  // without the leading '/'
  std::string userAgent;
  long connectTimeoutMs = 5000;
  long totalTimeoutMs = 15000;
  // The body is cut here: a server cannot make the caller hold more.
  std::size_t maxBodyBytes = 65536;
};

struct HttpGetAnswer {
  enum class Outcome { Complete, Failed, TimedOut };
  Outcome outcome = Outcome::Failed;
  // Everything that arrived before the answer ended, failed or was cut; the body of any status.
  std::string body;
};

// Sends "GET /path" accepting any type, directly (no proxy), and reads the answer's body.
HttpGetAnswer httpGet(const HttpGetRequest& request);

}  // namespace sorvel
