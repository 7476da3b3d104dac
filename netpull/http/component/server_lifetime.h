// Whether the library may be unloaded: the count of its live objects and of the class
// factory's server locks.
#pragma once

namespace netpull::component {

void ObjectCreated();
void ObjectDestroyed();
void ServerLocked(bool lock);
bool CanUnload();

}  // namespace netpull::component
