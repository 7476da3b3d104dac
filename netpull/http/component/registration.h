// The registry entries of the control library: the standard entries of an in-process ActiveX
// control and of its type library, written and removed as one transaction each.
#pragma once

#include <string>

#include "netpull/http/platform/com_types.h"
#include "netpull/http/platform/registry.h"

namespace netpull::component {

// Every entry registration writes, for a library at the given path.
registry::Keys RegistrationEntries(const std::string& libraryPath);

bool Register(const std::string& libraryPath);
bool Unregister();

std::string GuidText(const com::GUID& guid);

}  // namespace netpull::component
