// A host process without a Qt application object: creating the control fails with a code the
// host can handle, and the process goes on.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "guids.h"
#include "netpull/http/platform/interfaces.h"

namespace netpull::component {
namespace {

using namespace com;
using GetClassObject = HRESULT (*)(const CLSID*, const IID*, void**);

TEST(ComWithoutApplication, CreatingTheControlFailsWithoutAborting) {
    void* library = dlopen(NETPULL_OCX, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto getClassObject =
        reinterpret_cast<GetClassObject>(dlsym(library, "DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(&CLSID_HTTP, &IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    void* control = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &control), E_UNEXPECTED);
    EXPECT_EQ(control, nullptr);
    factory->Release();
}

}  // namespace
}  // namespace netpull::component
