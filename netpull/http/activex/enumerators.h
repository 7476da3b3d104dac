// The enumerators a container walks: the control's connection points and a connection point's
// connections. Each holds a reference on what it lists and counts as a live object.
#pragma once

#include <ocidl.h>

#include <vector>

namespace netpull::activex {

IEnumConnectionPoints* EnumerateConnectionPoints(std::vector<IConnectionPoint*> points);
IEnumConnections* EnumerateConnections(std::vector<CONNECTDATA> connections);

}  // namespace netpull::activex
