// Fetching a file from a web server for the update check and download.
//
// Only HTTPS is spoken: the address and every redirect must be https://, the
// server's certificate must verify against the system's trust store (or the
// CA file the request names) and match the host name. Every response is
// limited in size, so a server cannot fill the memory. HttpFetch blocks; it
// may run on any thread, and stops early when `cancel` becomes true.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace kal {

struct HttpRequest {
  std::string url;
  bool headOnly = false;    // a size query: headers only
  std::string caFile;       // PEM file of the CAs to trust; empty: the system's
  long connectTimeoutMs = 10000;
  long totalTimeoutMs = 60000;
  std::uint64_t maxBytes = 1 << 20;  // the body may not be longer
  // Called as bytes arrive (done, expected total or 0 when unknown); the
  // transfer stops when it returns false.
  std::function<bool(std::uint64_t, std::uint64_t)> progress;
  const std::atomic<bool>* cancel = nullptr;
};

struct HttpResponse {
  bool ok = false;           // a whole 2xx response arrived
  long status = 0;           // HTTP status, 0 when none arrived
  std::string body;          // empty for a size query
  std::int64_t contentLength = -1;  // the server's "Content-Length:", -1 when absent
  std::string error;         // why not ok
};

HttpResponse HttpFetch(const HttpRequest& request);

}  // namespace kal
