#pragma once
#include <cstdint>
#include <string>

struct HttpReply {
    bool completed = false;        // false: the request itself failed
    std::int32_t errorNumber = 0;  // set when !completed
    long status = 0;
    std::string body;              // the reply's bytes
    std::wstring contentType;      // the reply's Content-Type header, if any
};

// One synchronous form post to the upload endpoint; the endpoint is fixed
// inside the adapter. Each call is one attempt with its own handles.
class HttpPoster {
public:
    virtual ~HttpPoster() = default;
    virtual HttpReply PostForm(const std::string& body) = 0;
};
