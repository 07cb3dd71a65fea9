#include "platform/http.h"

#include <curl/curl.h>

#include <mutex>

namespace kal {

namespace {

struct Transfer {
  const HttpRequest* request;
  std::string* body;
  bool tooLarge = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  if (t->body->size() + n > t->request->maxBytes) {
    // Returning less than was given makes curl stop with a write error.
    t->tooLarge = true;
    return 0;
  }
  t->body->append(data, n);
  return n;
}

int OnProgress(void* user, curl_off_t total, curl_off_t done, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (t->request->cancel != nullptr && t->request->cancel->load()) return 1;
  if (t->request->progress &&
      !t->request->progress(static_cast<std::uint64_t>(done < 0 ? 0 : done), static_cast<std::uint64_t>(total < 0 ? 0 : total))) {
    return 1;
  }
  return 0;
}

}  // namespace

HttpResponse HttpFetch(const HttpRequest& request) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  HttpResponse response;
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    response.error = "cannot start a transfer";
    return response;
  }
  Transfer transfer{&request, &response.body};
  char errorText[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  // Plain HTTP would let anyone on the way change what arrives, redirects included.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!request.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, request.caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  // Signals cannot reach a worker thread safely.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.totalTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
  curl_easy_setopt(curl, CURLOPT_NOBODY, request.headOnly ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Kalendrina/" KALENDRINA_VERSION_TEXT);

  const CURLcode rc = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
  curl_off_t length = -1;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK) response.contentLength = length;
  if (transfer.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
    response.error = "response larger than " + std::to_string(request.maxBytes) + " bytes";
  } else if (rc != CURLE_OK) {
    response.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(rc);
  } else if (response.status < 200 || response.status > 299) {
    response.error = "server answered " + std::to_string(response.status);
  } else {
    response.ok = true;
  }
  if (!response.ok) response.body.clear();
  curl_easy_cleanup(curl);
  return response;
}

}  // namespace kal
