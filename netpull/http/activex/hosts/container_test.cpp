// A container of our own for Netpull.ocx: creates the control by its ProgID, activates it in
// place in a window, hears its events through a sink, downloads from the loopback nginx of the
// hosts' test (NETPULL_TEST_URL, with NETPULL_TEST_SOURCE the file it serves), reads and puts
// through the type library, and draws the control into a bitmap.
#include "netpull/socket/testing/socket_test_support.h"  // winsock2.h before windows.h

#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "event_sink.h"
#include "test_site.h"

extern "C" const CLSID CLSID_HTTP;
extern "C" const IID IID__HTTP;
extern "C" const IID DIID___HTTP;

namespace netpull::activex {
namespace {

using netpull::testing::PumpUntil;

constexpr DISPID kURL = 0x68030004;
constexpr DISPID kDownload = 0x60030005;
constexpr HRESULT kObjectNotSet = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 91);

// An export of the library, by name.
template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::wstring Wide(const std::string& text) {
    return {text.begin(), text.end()};
}

// The events received, for failure messages: "1 2(512,2048) 4(404,server error)".
std::string Described(const std::vector<ReceivedEvent>& events) {
    std::string text;
    for (const ReceivedEvent& event : events) {
        text += std::to_string(event.id);
        if (!event.types.empty())
            text += "(" + std::to_string(event.first) + "," + std::to_string(event.second) + "," +
                    std::string(event.text.begin(), event.text.end()) + ")";
        text += " ";
    }
    return text;
}

class ContainerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        module = LoadLibraryW(L"Netpull.ocx");
        ASSERT_NE(module, nullptr);
        const auto registerServer = Export<HRESULT(STDAPICALLTYPE*)()>(module, "DllRegisterServer");
        ASSERT_NE(registerServer, nullptr);
        ASSERT_EQ(registerServer(), S_OK);
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(L"Netpull.HTTP", &clsid), S_OK);
        ASSERT_EQ(clsid, CLSID_HTTP);
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
        window = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 500, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (control != nullptr) control->Release();
        if (window != nullptr) DestroyWindow(window);
        if (module != nullptr) FreeLibrary(module);
        OleUninitialize();
    }

    template <typename Interface>
    Interface* As(const IID& iid) {
        Interface* object = nullptr;
        EXPECT_EQ(control->QueryInterface(iid, reinterpret_cast<void**>(&object)), S_OK);
        return object;
    }

    HRESULT Invoke(DISPID id, WORD flags, std::vector<VARIANT> arguments, VARIANT* result,
                   EXCEPINFO* exception = nullptr) {
        DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        DISPID put = DISPID_PROPERTYPUT;
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception,
                               nullptr);
    }

    // Download by dispatch id, with the two texts by reference; the URL comes back in url.
    HRESULT Download(std::wstring& url, const std::wstring& saveAs) {
        BSTR urlText = SysAllocString(url.c_str());
        BSTR saveText = SysAllocString(saveAs.c_str());
        VARIANT arguments[2];
        VariantInit(&arguments[0]);
        VariantInit(&arguments[1]);
        arguments[0].vt = arguments[1].vt = VT_BSTR | VT_BYREF;
        arguments[0].pbstrVal = &saveText;  // last first
        arguments[1].pbstrVal = &urlText;
        const HRESULT hr =
            Invoke(kDownload, DISPATCH_METHOD, {arguments[0], arguments[1]}, nullptr);
        url = urlText;
        SysFreeString(urlText);
        SysFreeString(saveText);
        return hr;
    }

    void ActivateInPlace(TestSite& site) {
        IOleObject* ole = As<IOleObject>(IID_IOleObject);
        ASSERT_NE(ole, nullptr);
        ASSERT_EQ(ole->SetClientSite(&site), S_OK);
        RECT place{10, 10, 10 + 321, 10 + 97};
        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, window, &place), S_OK);
        // Wine's ATL container gives an extent below the minimum: in place, the window's size
        // is what the display takes.
        SIZEL small{1000, 500};
        ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &small), S_OK);
        ole->Release();
    }

    EventSink sink;  // outlives the control, which holds it until it is released
    HMODULE module = nullptr;
    IDispatch* control = nullptr;
    HWND window = nullptr;
};

TEST_F(ContainerTest, OffersTheInterfacesContainersPlaceControlsWith) {
    for (const IID* iid :
         {&IID__HTTP, &IID_IConnectionPointContainer, &IID_IProvideClassInfo2, &IID_IOleObject,
          &IID_IOleInPlaceObject, &IID_IOleWindow, &IID_IOleInPlaceActiveObject, &IID_IOleControl,
          &IID_IViewObject2, &IID_IPersistStreamInit, &IID_IPersistPropertyBag}) {
        IUnknown* object = As<IUnknown>(*iid);
        ASSERT_NE(object, nullptr);
        object->Release();
    }
    IPersistStreamInit* persist = As<IPersistStreamInit>(IID_IPersistStreamInit);
    EXPECT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    persist->Release();
    IOleObject* ole = As<IOleObject>(IID_IOleObject);
    DWORD status = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
    SIZEL extent{};
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, MulDiv(4815, 2540, 1440));
    EXPECT_EQ(extent.cy, MulDiv(1455, 2540, 1440));
    ole->Release();

    const auto getClassObject =
        Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(module, "DllGetClassObject");
    void* factory = nullptr;
    EXPECT_EQ(getClassObject(IID__HTTP, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    const auto canUnload = Export<HRESULT(STDAPICALLTYPE*)()>(module, "DllCanUnloadNow");
    EXPECT_EQ(canUnload(), S_FALSE);  // the control is alive
    control->Release();
    control = nullptr;
    EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(ContainerTest, DispatchGoesThroughTheTypeLibrary) {
    UINT count = 0;
    EXPECT_EQ(control->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(control->GetTypeInfo(0, 0, &info), S_OK);
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, L"_HTTP");
    SysFreeString(name);
    info->Release();

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"url")};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, kURL);

    // Before Download, every property read fails with error 91, by id as by name.
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    EXPECT_EQ(Invoke(id, DISPATCH_PROPERTYGET, {}, &result, &exception), DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, kObjectNotSet);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);

    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"http://elsewhere/");
    EXPECT_TRUE(FAILED(Invoke(kURL, DISPATCH_PROPERTYPUT, {text}, nullptr)));
    VariantClear(&text);

    IProvideClassInfo2* classInfo = As<IProvideClassInfo2>(IID_IProvideClassInfo2);
    GUID source{};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, DIID___HTTP);
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(classInfo->GetClassInfo(&coclass), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, CLSID_HTTP);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    coclass->ReleaseTypeAttr(attributes);
    coclass->Release();
    classInfo->Release();

    IConnectionPointContainer* points =
        As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    IEnumConnectionPoints* all = nullptr;
    ASSERT_EQ(points->EnumConnectionPoints(&all), S_OK);
    IConnectionPoint* point = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(all->Next(1, &point, &fetched), S_OK);
    IID events{};
    point->GetConnectionInterface(&events);
    EXPECT_EQ(events, DIID___HTTP);
    EXPECT_EQ(all->Next(1, &point, &fetched), S_FALSE);
    point->Release();
    all->Release();
    points->Release();
}

TEST_F(ContainerTest, InPlaceItDownloadsFromNginxAndRaisesEveryEvent) {
    const std::string base = Environment("NETPULL_TEST_URL");
    const std::string source = Environment("NETPULL_TEST_SOURCE");
    ASSERT_FALSE(base.empty()) << "run by activex_hosts_test.sh, which starts nginx";
    TestSite site(window);
    ActivateInPlace(site);
    EXPECT_TRUE(site.active);
    IOleInPlaceObject* inPlace = As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    HWND own = nullptr;
    ASSERT_EQ(inPlace->GetWindow(&own), S_OK);
    EXPECT_EQ(GetParent(own), window);
    const auto extent = [&] {
        IOleObject* ole = As<IOleObject>(IID_IOleObject);
        SIZEL size{};
        ole->GetExtent(DVASPECT_CONTENT, &size);
        ole->Release();
        return std::pair<LONG, LONG>(size.cx, size.cy);
    };
    const int dpi = GetDeviceCaps(GetDC(window), LOGPIXELSY);
    const auto hiMetric = [&](int pixels) {
        return static_cast<LONG>(MulDiv(MulDiv(pixels, 1440, dpi), 2540, 1440));
    };
    EXPECT_EQ(extent(), std::pair(hiMetric(321), hiMetric(97)));
    RECT moved{0, 0, 400, 120};
    EXPECT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
    EXPECT_EQ(extent(), std::pair(hiMetric(400), hiMetric(120)));

    const DWORD cookie = AdviseSink(control, &sink);
    ASSERT_NE(cookie, 0u);
    const std::string saved = Environment("NETPULL_TEST_OUTPUT");
    // The scheme in capitals: the URL comes back rewritten in small letters.
    std::wstring url = Wide("HTTP" + base.substr(4) + "/source.bin");
    ASSERT_EQ(Download(url, Wide(saved)), S_OK);
    EXPECT_EQ(url, Wide(base + "/source.bin"));
    ASSERT_TRUE(PumpUntil([&] { return sink.Ended(); }, 30000));
    ASSERT_GE(sink.events.size(), 3u) << Described(sink.events);
    EXPECT_EQ(sink.events.front().id, 1);
    EXPECT_EQ(sink.events.back().id, 3);
    const ReceivedEvent& progress = sink.events[sink.events.size() - 2];
    EXPECT_EQ(progress.id, 2);
    EXPECT_EQ(progress.types, (std::vector<VARTYPE>{VT_I4 | VT_BYREF, VT_I4 | VT_BYREF}));
    EXPECT_EQ(progress.first, progress.second);
    EXPECT_EQ(static_cast<std::size_t>(progress.second), Contents(source).size());
    EXPECT_TRUE(Contents(saved) == Contents(source));

    // The properties, by name: the transfer's (its total is cleared once it has ended).
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"SaveAs"), const_cast<LPOLESTR>(L"DownloadedBytes")};
    DISPID ids[2] = {};
    ASSERT_EQ(control->GetIDsOfNames(IID_NULL, &names[0], 1, 0, &ids[0]), S_OK);
    ASSERT_EQ(control->GetIDsOfNames(IID_NULL, &names[1], 1, 0, &ids[1]), S_OK);
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Invoke(ids[0], DISPATCH_PROPERTYGET, {}, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), Wide(saved));
    VariantClear(&result);
    ASSERT_EQ(Invoke(ids[1], DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, progress.second);

    sink.events.clear();
    std::wstring missing = Wide(base + "/missing.bin");
    ASSERT_EQ(Download(missing, Wide(saved + ".missing")), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return sink.Ended(); }, 30000));
    const ReceivedEvent& error = sink.events.back();
    EXPECT_EQ(error.id, 4);
    EXPECT_EQ(error.types, (std::vector<VARTYPE>{VT_I4 | VT_BYREF, VT_BSTR | VT_BYREF}));
    EXPECT_EQ(error.first, 404);
    EXPECT_EQ(error.text, L"server error");

    IOleObject* ole = As<IOleObject>(IID_IOleObject);
    EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(site.active);
    EXPECT_FALSE(IsWindow(own));
    EXPECT_EQ(ole->SetClientSite(nullptr), S_OK);
    ole->Release();
    inPlace->Release();
    std::remove(saved.c_str());
}

// The control drawn into a bitmap of its own size at 96 dots per inch, after Progress(512, 2048).
TEST_F(ContainerTest, DrawsItsDisplayIntoTheContainersDeviceContext) {
    netpull::testing::LoopbackServer server;
    std::string request;
    server.RecordRequests(request);
    ASSERT_NE(AdviseSink(control, &sink), 0u);
    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(server.Port()) + L"/quarter";
    const std::string saved = Environment("NETPULL_TEST_OUTPUT") + ".quarter";
    ASSERT_EQ(Download(url, Wide(saved)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return request.find("\r\n\r\n") != std::string::npos; }));
    server.accepted->SendData(
        Variant(std::string("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n")));
    netpull::testing::PumpFor(50);
    server.accepted->SendData(Variant(std::string(512, 'q')));
    ASSERT_TRUE(PumpUntil([&] {
        return !sink.events.empty() && sink.events.back().id == 2 &&
               sink.events.back().first == 512;
    })) << Described(sink.events);

    const int width = MulDiv(4815, 96, 1440), height = MulDiv(1455, 96, 1440);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    IViewObject2* view = As<IViewObject2>(IID_IViewObject2);
    const RECTL bounds{0, 0, width, height};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr,
                         nullptr, 0),
              S_OK);
    GdiFlush();
    const auto pixel = [&](int x, int y) {
        return static_cast<const DWORD*>(bits)[y * width + x] & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(0, 0), 0x000000u);  // the border
    EXPECT_EQ(pixel(width - 1, height / 2), 0x000000u);
    EXPECT_EQ(pixel(100, 80), 0x808080u);  // the grey bar, a quarter of the frame
    EXPECT_EQ(pixel(240, 86), 0xFFFFFFu);  // beyond the quarter, inside the frame
    EXPECT_EQ(pixel(200, 45), 0xFFFFFFu);  // the white background between the rows
    view->Release();
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    server.accepted->CloseSocket();
    std::remove(saved.c_str());
}

}  // namespace
}  // namespace netpull::activex
