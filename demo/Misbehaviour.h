#pragma once

#include <optional>

#include "HttpRequest.h"
#include "HttpResponse.h"

// Deliberately faulty answers for testing clients, on any host:
//   "/slow?ms=N"  answers after N ms (default 3000, at most 30000)
//   "/broken"     announces more bytes than it sends, then closes
//   "/overlong"   sends more bytes than it announces
//   "/nolength"   sends no Content-Length
//   "/status/N"   answers with status N (200 to 599) and a small page
// Nothing for any other path.
std::optional<HttpResponse> Misbehaviour(const HttpRequest &request);
