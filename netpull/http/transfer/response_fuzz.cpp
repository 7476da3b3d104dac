// libFuzzer target for the response parsing: the header gatherer, the header reader and the
// chunked decoder take any bytes, split into arrivals at any points, without failing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "netpull/http/transfer/chunked_decoder.h"
#include "netpull/http/transfer/response_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the arrival size, so that splits are explored too.
    const std::size_t step = 1 + data[0] % 64;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    netpull::http::HeaderGatherer header;
    netpull::http::ChunkedDecoder chunked;
    std::string decoded;
    bool inBody = false;
    for (std::size_t at = 0; at < input.size(); at += step) {
        const std::string_view arrival = input.substr(at, step);
        if (inBody) {
            chunked.Feed(arrival, decoded);
            continue;
        }
        if (header.Add(arrival) == netpull::http::HeaderGatherer::State::Complete) {
            netpull::http::ParseResponseHeader(header.Text());
            chunked.Feed(header.TakeBody(), decoded);
            inBody = true;
        }
    }
    return 0;
}
