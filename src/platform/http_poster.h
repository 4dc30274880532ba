#pragma once
#include <cstdint>
#include <string>

struct HttpReply {
    bool completed = false;        // false: the request itself failed
    // The program ended while the exchange was under way; nothing may follow.
    bool abandoned = false;
    std::int32_t errorNumber = 0;  // set when !completed
    long status = 0;
    std::string body;              // the first bytes of the reply (see ReplyCollector)
    std::uint64_t bytesNotKept = 0;  // what came beyond them
    bool cutShort = false;         // it broke off after the status line came
    std::wstring contentType;      // the reply's Content-Type header, if any
};

// One synchronous form post to the upload endpoint; the endpoint is fixed
// inside the adapter. Each call is one attempt with its own handles. While it
// waits, the thread goes on handling its window messages, as a message box
// does; when the program ends meanwhile, the call returns at once, abandoned.
class HttpPoster {
public:
    virtual ~HttpPoster() = default;
    virtual HttpReply PostForm(const std::string& body) = 0;
};
