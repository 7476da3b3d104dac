// What every window of the lookup program shares: the platform services, the program-wide
// strings, the commune tables once loaded, and the way to end the program.
#pragma once

#include <functional>
#include <string>

#include "lookup/data/commune_table.h"
#include "lookup/ui/platform/services.h"

namespace tarvel::windows {

struct ProgramStrings {
    std::string CheminProg;   // program folder, ending in a separator
    std::string SautLigne;    // CR LF
    std::string TitreProg;    // message-box title
    std::string VersionProg;  // version text of the start-up window
    std::string MessageProg;  // the message being composed
};

struct CommuneTables {
    data::CommuneTable postal;  // LISTEPARCP, by postal code
    data::CommuneTable names;   // LISTEPARNOM, by name
};

struct Program {
    platform::Services& services;
    std::function<void(int)> endProgram;  // ends the program at once with an exit code
    ProgramStrings strings;
    CommuneTables tables;
};

// The internal-error message of a handler that failed: the error's description, 17 spaces,
// CR LF, "Erreur interne ", the handler's code, " - " and the error number.
void ReportInternalError(Program& program, std::string_view handlerCode,
                         const std::exception& error);

}  // namespace tarvel::windows
