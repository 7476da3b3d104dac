// A dynamic host of Netpull.ocx: it opens the library by path and uses nothing but the four
// exports and the COM interfaces, then checks the registry entries, dispatch, events from a
// real download on loopback, the widget, unloading, and the resources read from the file.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "guids.h"
#include "netpull/http/platform/interfaces.h"
#include "netpull/http/platform/registry.h"
#include "netpull/http/platform/resources.h"
#include "netpull/socket/testing/socket_test_support.h"

namespace netpull::component {
namespace {

using namespace com;
using ::testing::ElementsAre;

using Export = HRESULT (*)();
using GetClassObject = HRESULT (*)(const CLSID*, const IID*, void**);

std::u16string U(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}
std::string S(BSTR text) {
    return text == nullptr ? "" : std::string(text, text + SysStringLen(text));
}

// Pumps both the library's loop (through Qt) and this test's own socket layer.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    return netpull::testing::PumpUntil(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            return condition();
        },
        timeoutMs);
}

// A host's event sink: records each event's dispatch id and arguments.
class EventSink final : public IDispatch {
  public:
    std::vector<std::string> events;
    // When set, the sink rewrites the Error event's by-reference arguments.
    std::optional<std::pair<LONG, std::string>> rewriteError;

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___HTTP) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        std::string event = std::to_string(id);
        // Arguments come last first; every one is by reference.
        for (UINT i = params->cArgs; i-- > 0;) {
            const VARIANT& v = params->rgvarg[i];
            if (v.vt == (VT_I4 | VT_BYREF))
                event += " " + std::to_string(*v.plVal);
            else if (v.vt == (VT_BSTR | VT_BYREF))
                event += " '" + S(*v.pbstrVal) + "'";
            else
                event += " ?";
        }
        if (flags != DISPATCH_METHOD) event += " (not a method call)";
        events.push_back(event);
        if (id == DISPID_Error && rewriteError && params->cArgs == 2) {
            *params->rgvarg[1].plVal = rewriteError->first;
            SysFreeString(*params->rgvarg[0].pbstrVal);
            *params->rgvarg[0].pbstrVal = SysAllocString(U(rewriteError->second).c_str());
        }
        return S_OK;
    }
    ULONG references = 1;
};

class ComHost : public netpull::testing::SocketTest {
  protected:
    void SetUp() override {
        SocketTest::SetUp();
        char pattern[] = "/tmp/netpull-com-XXXXXX";
        folder = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        library = dlopen(NETPULL_OCX, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        canUnloadNow = reinterpret_cast<Export>(dlsym(library, "DllCanUnloadNow"));
        getClassObject = reinterpret_cast<GetClassObject>(dlsym(library, "DllGetClassObject"));
        registerServer = reinterpret_cast<Export>(dlsym(library, "DllRegisterServer"));
        unregisterServer = reinterpret_cast<Export>(dlsym(library, "DllUnregisterServer"));
        ASSERT_TRUE(canUnloadNow && getClassObject && registerServer && unregisterServer);
        server.RecordRequests(request);
    }
    void TearDown() override {
        if (server.accepted) server.accepted->CloseSocket();
        server.listener->CloseSocket();
        QCoreApplication::processEvents();
        std::filesystem::remove_all(folder);
        SocketTest::TearDown();
    }

    IDispatch* CreateControl() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(
            getClassObject(&CLSID_HTTP, &IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
        IDispatch* control = nullptr;
        EXPECT_EQ(
            factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control)),
            S_OK);
        factory->Release();
        return control;
    }

    // Advises the sink at the control's event point.
    void Advise(IDispatch* control, EventSink& sink, IConnectionPointContainer*& container,
                IConnectionPoint*& point, DWORD& cookie) {
        ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void**>(&container)),
                  S_OK);
        ASSERT_EQ(container->FindConnectionPoint(DIID___HTTP, &point), S_OK);
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    }

    // As a script host calls: each argument a variant by reference that holds a string.
    HRESULT InvokeDownloadWithVariants(IDispatch* control, VARIANT& url, VARIANT& saveAs) {
        VARIANT arguments[2];
        arguments[0].vt = VT_VARIANT | VT_BYREF;
        arguments[0].pvarVal = &saveAs;
        arguments[1].vt = VT_VARIANT | VT_BYREF;
        arguments[1].pvarVal = &url;
        DISPPARAMS params{arguments, nullptr, 2, 0};
        return control->Invoke(DISPID_Download, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                               nullptr, nullptr);
    }

    HRESULT InvokeDownload(IDispatch* control, BSTR& url, BSTR& saveAs,
                           EXCEPINFO* exception = nullptr) {
        VARIANT arguments[2];
        arguments[0].vt = VT_BSTR | VT_BYREF;  // last argument first
        arguments[0].pbstrVal = &saveAs;
        arguments[1].vt = VT_BSTR | VT_BYREF;
        arguments[1].pbstrVal = &url;
        DISPPARAMS params{arguments, nullptr, 2, 0};
        return control->Invoke(DISPID_Download, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                               exception, nullptr);
    }

    std::string folder;
    void* library = nullptr;
    Export canUnloadNow = nullptr;
    GetClassObject getClassObject = nullptr;
    Export registerServer = nullptr;
    Export unregisterServer = nullptr;
    netpull::testing::LoopbackServer server;
    std::string request;
};

TEST_F(ComHost, RegistersEveryEntryAndUnregistersThemAll) {
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(registerServer(), S_OK);  // twice is harmless
    const auto keys = registry::Read();
    ASSERT_TRUE(keys);
    const std::string path = std::filesystem::canonical(NETPULL_OCX);
    const std::string clsid = "HKEY_CLASSES_ROOT\\CLSID\\{DAD1CBF0-2D28-4208-8F4F-621BA375EB15}";
    const auto value = [&](const std::string& key, const std::string& name = "") -> std::string {
        const auto k = keys->find(key);
        if (k == keys->end() || !k->second.contains(name)) return "<missing>";
        return std::get<std::string>(k->second.at(name));
    };
    EXPECT_EQ(value("HKEY_CLASSES_ROOT\\Netpull.HTTP\\CLSID"),
              "{DAD1CBF0-2D28-4208-8F4F-621BA375EB15}");
    EXPECT_EQ(value(clsid + "\\ProgID"), "Netpull.HTTP");
    EXPECT_EQ(value(clsid + "\\InprocServer32"), path);
    EXPECT_EQ(value(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_TRUE(keys->contains(clsid + "\\Control"));
    EXPECT_EQ(value(clsid + "\\ToolboxBitmap32"), path + ", 30000");
    EXPECT_EQ(value(clsid + "\\MiscStatus\\1"), "131473");
    EXPECT_EQ(value(clsid + "\\TypeLib"), "{43FE1C03-96DB-459C-9779-E8264BF182D5}");
    EXPECT_EQ(value(clsid + "\\Version"), "1.0");
    const std::string typelib =
        "HKEY_CLASSES_ROOT\\TypeLib\\{43FE1C03-96DB-459C-9779-E8264BF182D5}\\1.0";
    EXPECT_EQ(value(typelib), "Netpull");
    EXPECT_EQ(value(typelib + "\\0\\win32"), path);
    EXPECT_EQ(value(typelib + "\\FLAGS"), "2");
    EXPECT_EQ(value("HKEY_CLASSES_ROOT\\Interface\\{1D8BA6EF-4C2E-4B17-8A5B-E26E396D9961}"),
              "_HTTP");
    EXPECT_EQ(
        value("HKEY_CLASSES_ROOT\\Interface\\{814A05A3-2A5C-402E-A96B-939238AEE801}\\TypeLib"),
        "{43FE1C03-96DB-459C-9779-E8264BF182D5}");

    ASSERT_EQ(unregisterServer(), S_OK);
    EXPECT_TRUE(registry::Read()->empty());
}

TEST_F(ComHost, UnregistrationLeavesWhatAHostAddedBeside) {
    ASSERT_EQ(registerServer(), S_OK);
    const std::string clsid = "HKEY_CLASSES_ROOT\\CLSID\\{DAD1CBF0-2D28-4208-8F4F-621BA375EB15}";
    const std::string category =
        clsid + "\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}";
    ASSERT_TRUE(registry::Change([&](registry::Keys& keys) {
        keys[category];
        keys[clsid]["HostNote"] = std::string("kept");
        keys["HKEY_CLASSES_ROOT\\Other.Control"][""] = std::string("other");
    }));
    ASSERT_EQ(registerServer(), S_OK);  // registering again keeps them too
    ASSERT_EQ(unregisterServer(), S_OK);
    const auto keys = registry::Read();
    ASSERT_TRUE(keys);
    std::vector<std::string> left;
    for (const auto& [key, values] : *keys) left.push_back(key);
    EXPECT_THAT(left, ::testing::ElementsAre(clsid, category, "HKEY_CLASSES_ROOT\\Other.Control"));
    EXPECT_EQ(keys->at(clsid).size(), 1u);
    EXPECT_TRUE(keys->at(clsid).contains("HostNote"));
}

TEST_F(ComHost, ClassObjectAndUnloading) {
    void* object = nullptr;
    const CLSID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(getClassObject(&other, &IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(canUnloadNow(), S_OK);
    IDispatch* control = CreateControl();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    IClassFactory* factory = nullptr;
    getClassObject(&CLSID_HTTP, &IID_IClassFactory, reinterpret_cast<void**>(&factory));
    factory->LockServer(1);
    control->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    factory->LockServer(0);
    // The control's widget waits for deferred deletion: the library is still in use.
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(ComHost, DispatchByNameAndId) {
    IDispatch* control = CreateControl();
    const auto id = [&](const std::string& name) {
        std::u16string wide = U(name);
        LPOLESTR names[] = {wide.data()};
        DISPID result = 0;
        const HRESULT hr = control->GetIDsOfNames(IID_NULL, names, 1, 0, &result);
        return hr == S_OK ? result : hr;
    };
    EXPECT_EQ(id("url"), DISPID_URL);
    EXPECT_EQ(id("SAVEAS"), DISPID_SaveAs);
    EXPECT_EQ(id("DownloadedBytes"), DISPID_DownloadedBytes);
    EXPECT_EQ(id("download"), DISPID_Download);
    EXPECT_EQ(id("nothing"), DISP_E_UNKNOWNNAME);

    // Reading a property before Download fails with an error the caller sees.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    EXPECT_EQ(control->Invoke(DISPID_URL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result,
                              &exception, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(S(exception.bstrDescription), "Object variable or With block variable not set");
    EXPECT_EQ(static_cast<std::uint32_t>(exception.scode), 0x800A005Bu);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);

    // There is no put.
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    DISPID named = -3;  // DISPID_PROPERTYPUT
    DISPPARAMS put{&value, &named, 1, 1};
    EXPECT_NE(control->Invoke(DISPID_TotalBytes, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr,
                              nullptr, nullptr),
              S_OK);
    put.cNamedArgs = 0;
    put.rgdispidNamedArgs = nullptr;
    EXPECT_EQ(control->Invoke(DISPID_TotalBytes, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr,
                              nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    control->Release();
}

TEST_F(ComHost, DownloadThroughDispatchWithEventsAtTheSink) {
    IDispatch* control = CreateControl();
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_NO_FATAL_FAILURE(Advise(control, sink, container, point, cookie));

    // The host places the control's widget in a window of its own.
    IQtWidgetControl* placeable = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IQtWidgetControl, reinterpret_cast<void**>(&placeable)),
              S_OK);
    void* widget = nullptr;
    ASSERT_EQ(placeable->GetWidget(&widget), S_OK);
    QWidget window;
    static_cast<QWidget*>(widget)->setParent(&window);
    window.show();
    EXPECT_TRUE(static_cast<QWidget*>(widget)->isVisible());
    placeable->Release();

    const std::string port = std::to_string(server.Port());
    const std::u16string given = U("HTTP://127.0.0.1:" + port + "\\Files\\A.TXT");
    const std::string file = folder + "/a.txt";
    BSTR url = SysAllocString(given.c_str());
    BSTR saveAs = SysAllocString(U(file).c_str());
    ASSERT_EQ(InvokeDownload(control, url, saveAs), S_OK);
    EXPECT_EQ(S(url), "http://127.0.0.1:" + port + "/files/a.txt");
    ASSERT_TRUE(PumpUntil([&] { return request.ends_with("\r\n\r\n"); }));
    server.accepted->SendData(Variant(std::string("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n")));
    PumpUntil([&] { return sink.events.size() >= 1; });
    server.accepted->SendData(Variant(std::string("abc")));
    PumpUntil([&] { return sink.events.size() >= 2; });
    server.accepted->CloseSocket();
    ASSERT_TRUE(PumpUntil([&] { return !sink.events.empty() && sink.events.back() == "3"; }));
    EXPECT_THAT(sink.events, ElementsAre("1", "2 3 3", "3"));

    // A failed download reaches the sink as Error with its number and description.
    sink.events.clear();
    request.clear();
    ASSERT_EQ(InvokeDownload(control, url, saveAs), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return request.ends_with("\r\n\r\n"); }));
    sink.rewriteError = std::pair{LONG{77}, std::string("rewritten by the host")};
    server.accepted->SendData(Variant(std::string("HTTP/1.1 404 Not Found\r\n\r\n")));
    ASSERT_TRUE(
        PumpUntil([&] { return !sink.events.empty() && sink.events.back().starts_with("4"); }));
    EXPECT_EQ(sink.events.back(), "4 404 'server error'");
    // The display shows what the sink made of the by-reference arguments.
    const auto labels = static_cast<QWidget*>(widget)->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
        return label->text() == "77 rewritten by the host";
    }));

    // A script host's variables: variants by reference holding strings; the URL comes back
    // rewritten through them.
    request.clear();
    VARIANT scriptUrl, scriptSaveAs;
    scriptUrl.vt = VT_BSTR;
    scriptUrl.bstrVal = SysAllocString(U("HTTP://127.0.0.1:" + port + "/Script.TXT").c_str());
    scriptSaveAs.vt = VT_BSTR;
    scriptSaveAs.bstrVal = SysAllocString(U(folder + "/script.txt").c_str());
    ASSERT_EQ(InvokeDownloadWithVariants(control, scriptUrl, scriptSaveAs), S_OK);
    EXPECT_EQ(S(scriptUrl.bstrVal), "http://127.0.0.1:" + port + "/script.txt");
    ASSERT_TRUE(PumpUntil([&] { return request.ends_with("\r\n\r\n"); }));
    EXPECT_THAT(request, ::testing::StartsWith("GET /Script.TXT HTTP/1.1\r\n"));
    VariantClear(&scriptUrl);
    VariantClear(&scriptSaveAs);

    // Properties now read through dispatch; URL is the text given to the latest Download.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(control->Invoke(DISPID_URL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result,
                              nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(S(result.bstrVal), "HTTP://127.0.0.1:" + port + "/Script.TXT");
    VariantClear(&result);

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    point->Release();
    container->Release();
    control->Release();
    SysFreeString(url);
    SysFreeString(saveAs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(canUnloadNow(), S_OK);
    EXPECT_EQ(sink.references, 1u);
}

// A host sees one FoundServer and the final body alone after a redirect, and the proxy of the
// environment is asked for the URL.
TEST_F(ComHost, DownloadsThroughARedirectAndThroughAProxy) {
    IDispatch* control = CreateControl();
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_NO_FATAL_FAILURE(Advise(control, sink, container, point, cookie));
    const std::string origin = "http://127.0.0.1:" + std::to_string(server.Port());
    const std::string file = folder + "/moved.txt";
    BSTR url = SysAllocString(U(origin + "/old").c_str());
    BSTR saveAs = SysAllocString(U(file).c_str());
    const auto answer = [&](const std::string& requestLine, const std::string& response) {
        ASSERT_TRUE(PumpUntil([&] {
            return request.find(requestLine) != std::string::npos && request.ends_with("\r\n\r\n");
        })) << request;
        server.accepted->SendData(Variant(response));
        server.accepted->CloseSocket();
    };
    const auto fileText = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    ASSERT_EQ(InvokeDownload(control, url, saveAs), S_OK);
    answer("GET /old HTTP/1.1",
           "HTTP/1.1 302 Found\r\nLocation: /new\r\nContent-Length: 5\r\n\r\nmoved");
    answer("GET /new HTTP/1.1", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc");
    // The body that comes with its header raises no Progress; the redirect's raises nothing.
    ASSERT_TRUE(PumpUntil([&] { return !sink.events.empty() && sink.events.back() == "3"; }));
    EXPECT_THAT(sink.events, ElementsAre("1", "3"));
    EXPECT_EQ(fileText(), "abc");

    sink.events.clear();
    request.clear();
    setenv("http_proxy", origin.c_str(), 1);
    SysFreeString(url);
    url = SysAllocString(U("http://origin.invalid/through").c_str());
    ASSERT_EQ(InvokeDownload(control, url, saveAs), S_OK);
    answer("GET http://origin.invalid/through HTTP/1.1",
           "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nproxy");
    unsetenv("http_proxy");
    ASSERT_TRUE(PumpUntil([&] { return !sink.events.empty() && sink.events.back() == "3"; }));
    EXPECT_THAT(request, ::testing::HasSubstr("\r\nHost: origin.invalid\r\n"));
    EXPECT_EQ(fileText(), "proxy");

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    point->Release();
    container->Release();
    control->Release();
    SysFreeString(url);
    SysFreeString(saveAs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(ComLibraryFile, ExportsExactlyFourNames) {
    FILE* pipe = popen("nm -D --defined-only " NETPULL_OCX
                       " | awk '$2 ~ /^[TtWwDdBbRrVv]$/ {print $3}' | sort",
                       "r");
    ASSERT_NE(pipe, nullptr);
    std::string names;
    char line[256];
    while (fgets(line, sizeof line, pipe) != nullptr) names += line;
    pclose(pipe);
    EXPECT_EQ(names,
              "DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer\n");
}

TEST(ComLibraryFile, ResourcesReadFromTheFile) {
    const auto section = resources::ReadResourceSection(NETPULL_OCX);
    ASSERT_TRUE(section);
    const auto parsed = resources::ParseResources(*section);
    ASSERT_TRUE(parsed);
    std::ifstream tlb(NETPULL_TLB, std::ios::binary);
    const std::string typelib{std::istreambuf_iterator<char>(tlb),
                              std::istreambuf_iterator<char>()};
    const resources::Resource* library = resources::FindResource(*parsed, "TYPELIB", 1);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->data, typelib);
    for (const auto& [name, guid] :
         {std::pair{"_IID_HTTP", IID__HTTP}, std::pair{"_SRCIID_HTTP", DIID___HTTP}}) {
        const resources::Resource* iid = resources::FindResource(*parsed, name, 1);
        ASSERT_NE(iid, nullptr);
        ASSERT_EQ(iid->data.size(), 20u);
        EXPECT_EQ(iid->data.substr(0, 4), std::string("\x10\0\0\0", 4));
        EXPECT_EQ(std::memcmp(iid->data.data() + 4, &guid, 16), 0);
    }
    const resources::Resource* bitmap = resources::FindResource(*parsed, "BITMAP", 30000);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->data.size(), 760u);
    std::int32_t width = 0, height = 0;
    std::uint16_t bits = 0;
    std::memcpy(&width, bitmap->data.data() + 4, 4);
    std::memcpy(&height, bitmap->data.data() + 8, 4);
    std::memcpy(&bits, bitmap->data.data() + 14, 2);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 15);  // positive: bottom-up
    EXPECT_EQ(bits, 24);
    const resources::Resource* version = resources::FindResource(*parsed, "VERSION", 1);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->language, 0x040C);
    const std::u16string text(reinterpret_cast<const char16_t*>(version->data.data()),
                              version->data.size() / 2);
    for (const char* expected :
         {"VS_VERSION_INFO", "040C04B0", "OriginalFilename", "Netpull.ocx", "OLESelfRegister"})
        EXPECT_NE(text.find(U(expected)), std::u16string::npos) << expected;
    std::uint16_t length = 0;
    std::memcpy(&length, version->data.data(), 2);
    EXPECT_EQ(length, version->data.size());
    EXPECT_EQ(resources::ParseResources("NPRS\x05\0\0\0"), std::nullopt);
}

}  // namespace
}  // namespace netpull::component
