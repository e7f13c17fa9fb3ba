#include "platform/HttpClient.h"

#include <curl/curl.h>

#include <memory>

namespace sorvel {

namespace {

struct Reception {
  std::string* body;
  std::size_t limit;
  bool cut = false;
};

// Appends each piece as it arrives; past the limit the transfer is stopped.
std::size_t receive(char* data, std::size_t size, std::size_t count, void* user) {
  auto* reception = static_cast<Reception*>(user);
  const std::size_t bytes = size * count;
  const std::size_t room = reception->limit - reception->body->size();
  if (bytes > room) {
    reception->body->append(data, room);
    reception->cut = true;
    return 0;
  }
  reception->body->append(data, bytes);
  return bytes;
}

bool libraryReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

std::string urlOf(const HttpGetRequest& request) {
  const bool ipv6 = request.host.find(':') != std::string::npos;
  const std::string host = ipv6 ? "[" + request.host + "]" : request.host;
  return "http://" + host + ":" + std::to_string(request.port) + "/" + request.path;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

HttpGetAnswer httpGet(const HttpGetRequest& request) {
  HttpGetAnswer answer;
  if (!libraryReady()) return answer;
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy) return answer;
  CURL* handle = easy.get();

  Reception reception{&answer.body, request.maxBodyBytes};
  std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, "Accept: */*"));
  const std::string url = urlOf(request);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(handle, CURLOPT_USERAGENT, request.userAgent.c_str());
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_PROXY, "");  // direct, whatever the environment says
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
  // Plug-ins share the host's process: no signals, no time-outs of the process's own.
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, request.totalTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &receive);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reception);

  const CURLcode result = curl_easy_perform(handle);
  if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && reception.cut)) {
    answer.outcome = HttpGetAnswer::Outcome::Complete;
  } else if (result == CURLE_OPERATION_TIMEDOUT) {
    answer.outcome = HttpGetAnswer::Outcome::TimedOut;
  } else {
    answer.outcome = HttpGetAnswer::Outcome::Failed;
  }
  return answer;
}

}  // namespace sorvel
