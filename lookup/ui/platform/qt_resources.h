// The program's custom resources, looked up by numeric id and type name among the
// resources compiled into the program with Qt's resource system.
#pragma once

#include <optional>
#include <string_view>

namespace tarvel::platform {

// Reads the resource ":/<id>/<type name>". The bytes stay valid for the program's life.
std::optional<std::string_view> ReadCustomResource(int id, std::string_view typeName);

}  // namespace tarvel::platform
