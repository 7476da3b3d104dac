// libFuzzer target for the name-entry check: any typed bytes, valid UTF-8 or not, are cleaned
// and give their messages without failing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lookup/search/name_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view typed(reinterpret_cast<const char*>(data), size);
    const tarvel::search::NameEntryCheck check = tarvel::search::CheckTypedName(typed);
    for (const std::string& character : check.rejected)
        tarvel::search::RejectedCharacterMessage(character);
    tarvel::search::OtherRejectedCharactersMessage(check.rejected.size());
    return 0;
}
