// libFuzzer target for the RTF reader: any bytes must convert without failing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lookup/ui/rtf/rtf_to_html.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarvel::rtf::RtfToHtml(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
