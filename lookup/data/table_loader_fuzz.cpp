// libFuzzer target for the table loader: any bytes, read as either table, either load or are
// refused with a TableError, and every record of a loaded table can be cut into captions.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lookup/data/detail_captions.h"
#include "lookup/data/table_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto* format : {&tarvel::data::kPostalCodeTable, &tarvel::data::kNameTable}) {
        try {
            const tarvel::data::CommuneTable table = tarvel::data::ParseTable(bytes, *format);
            for (std::uint32_t i = 0; i < table.Count(); ++i) {
                if (format == &tarvel::data::kPostalCodeTable)
                    tarvel::data::CaptionsOfPostalRecord(table.Record(i));
                else
                    tarvel::data::CaptionsOfNameRecord(table.Record(i));
            }
        } catch (const tarvel::data::TableError&) {
        }
    }
    return 0;
}
