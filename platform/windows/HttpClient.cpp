#include "platform/HttpClient.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>

namespace sorvel {

namespace {

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_ != nullptr) ::InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

// WinINet knows no limit on a whole transfer, only on each wait: every wait gets what is left.
class Deadline {
 public:
  explicit Deadline(long totalMs) : end_(::GetTickCount64() + static_cast<ULONGLONG>(std::max(totalMs, 1L))) {}
  bool passed() const { return ::GetTickCount64() >= end_; }
  DWORD remainingMs() const {
    const ULONGLONG now = ::GetTickCount64();
    return now >= end_ ? 1 : static_cast<DWORD>(std::min<ULONGLONG>(end_ - now, 0x7FFFFFFF));
  }

 private:
  ULONGLONG end_;
};

void limitWaits(HINTERNET handle, DWORD connectMs, DWORD otherMs) {
  ::InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof(connectMs));
  ::InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &otherMs, sizeof(otherMs));
  ::InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &otherMs, sizeof(otherMs));
}

HttpGetAnswer::Outcome failureOutcome(const Deadline& deadline) {
  const DWORD error = ::GetLastError();
  if (error == ERROR_INTERNET_TIMEOUT || deadline.passed()) return HttpGetAnswer::Outcome::TimedOut;
  return HttpGetAnswer::Outcome::Failed;
}

}  // namespace

HttpGetAnswer httpGet(const HttpGetRequest& request) {
  HttpGetAnswer answer;
  if (request.port <= 0 || request.port > 65535) return answer;
  const Deadline deadline(request.totalTimeoutMs);

  // Direct, whatever the system's proxy settings say.
  InternetHandle session(::InternetOpenA(request.userAgent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (session.get() == nullptr) return answer;
  const DWORD connectMs = static_cast<DWORD>(std::clamp(request.connectTimeoutMs, 1L, 0x7FFFFFFFL));
  limitWaits(session.get(), std::min(connectMs, deadline.remainingMs()), deadline.remainingMs());

  const bool ipv6 = request.host.find(':') != std::string::npos;
  const std::string host = ipv6 ? "[" + request.host + "]" : request.host;
  InternetHandle connection(::InternetConnectA(session.get(), host.c_str(), static_cast<INTERNET_PORT>(request.port),
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (connection.get() == nullptr) {
    answer.outcome = failureOutcome(deadline);
    return answer;
  }
  const std::string path = "/" + request.path;
  const char* acceptTypes[] = {"*/*", nullptr};
  const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                      INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE;
  InternetHandle call(::HttpOpenRequestA(connection.get(), "GET", path.c_str(), nullptr, nullptr, acceptTypes, flags, 0));
  if (call.get() == nullptr) return answer;
  limitWaits(call.get(), std::min(connectMs, deadline.remainingMs()), deadline.remainingMs());
  if (!::HttpSendRequestA(call.get(), nullptr, 0, nullptr, 0)) {
    answer.outcome = failureOutcome(deadline);
    return answer;
  }

  char buffer[4096];
  for (;;) {
    if (deadline.passed()) {
      answer.outcome = HttpGetAnswer::Outcome::TimedOut;
      return answer;
    }
    limitWaits(call.get(), deadline.remainingMs(), deadline.remainingMs());
    DWORD got = 0;
    if (!::InternetReadFile(call.get(), buffer, sizeof(buffer), &got)) {
      answer.outcome = failureOutcome(deadline);
      return answer;
    }
    if (got == 0) break;
    const std::size_t room = request.maxBodyBytes - answer.body.size();
    answer.body.append(buffer, std::min<std::size_t>(room, got));
    // Past the limit the transfer is stopped.
    if (got >= room) break;
  }
  answer.outcome = HttpGetAnswer::Outcome::Complete;
  return answer;
}

}  // namespace sorvel
