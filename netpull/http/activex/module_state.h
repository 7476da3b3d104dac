// The library's own state: its module handle and path, and what keeps it loaded (live
// objects, class-factory locks, windows of its class).
#pragma once

#include <windows.h>

#include <string>

namespace netpull::activex {

void SetModule(HINSTANCE module);
HINSTANCE Module();
std::wstring ModulePath();

void ObjectCreated();
void ObjectDestroyed();
void ServerLocked(bool lock);
bool CanUnload();

}  // namespace netpull::activex
