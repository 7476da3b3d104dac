// What every window of the lookup program shares.
#include "lookup/ui/windows/program.h"

namespace tarvel::windows {
namespace {

// The number shown for failures of the program's own code.
constexpr int kInternalErrorNumber = 51;

}  // namespace

void ReportInternalError(Program& program, std::string_view handlerCode,
                         const std::exception& error) {
    program.services.ShowMessage(std::string(error.what()) + std::string(17, ' ') + "\r\n" +
                                     "Erreur interne " + std::string(handlerCode) + " - " +
                                     std::to_string(kInternalErrorNumber),
                                 program.strings.TitreProg, platform::MessageIcon::Critical);
}

}  // namespace tarvel::windows
