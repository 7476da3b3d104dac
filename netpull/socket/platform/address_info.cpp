// GetAddrInfoExW over the stand-in's resolver: the answer laid out as Windows' list.
#include <cstring>
#include <memory>
#include <string>

#include "name_lookup.h"
#include "netpull/socket/platform/winsock.h"
#include "socket_records.h"

namespace {

using netpull::platform::posix::Endpoint;

// The name in bytes: host names are ASCII, and any other character is no host's.
std::string NarrowName(PCWSTR name) {
    std::string narrow;
    for (; *name != L'\0'; ++name)
        narrow.push_back(*name > 0 && *name < 0x80 ? static_cast<char>(*name) : '?');
    return narrow;
}

PWSTR WideCopy(const std::string& text) {
    auto* copy = new WCHAR[text.size() + 1];
    for (std::size_t i = 0; i < text.size(); ++i) copy[i] = static_cast<unsigned char>(text[i]);
    copy[text.size()] = L'\0';
    return copy;
}

// The list of the addresses of the families asked for, the canonical name on the first entry.
PADDRINFOEXW ListOf(const std::vector<Endpoint>& addresses, const std::string& canonicalName,
                    int family, bool withName) {
    PADDRINFOEXW first = nullptr;
    PADDRINFOEXW* next = &first;
    for (const Endpoint& end : addresses) {
        const int endFamily = end.v6 ? AF_INET6 : AF_INET;
        if (family != AF_UNSPEC && family != endFamily) continue;
        auto* record = new sockaddr_storage;
        const int length = netpull::platform::WriteRecord(end, record);
        *next = new ADDRINFOEXW{0,
                                endFamily,
                                SOCK_STREAM,
                                IPPROTO_TCP,
                                static_cast<std::size_t>(length),
                                nullptr,
                                reinterpret_cast<sockaddr*>(record),
                                nullptr,
                                0,
                                nullptr,
                                nullptr};
        if (withName && first == *next) first->ai_canonname = WideCopy(canonicalName);
        next = &(*next)->ai_next;
    }
    return first;
}

}  // namespace

int GetAddrInfoExW(PCWSTR name, PCWSTR serviceName, DWORD nameSpace, LPGUID nameSpaceId,
                   const ADDRINFOEXW* hints, PADDRINFOEXW* result, PTIMEVAL timeout,
                   LPOVERLAPPED overlapped, LPLOOKUPSERVICE_COMPLETION_ROUTINE completionRoutine,
                   LPHANDLE nameHandle) {
    const int family = hints != nullptr ? hints->ai_family : AF_UNSPEC;
    const bool supported = serviceName == nullptr && nameSpace == NS_ALL &&
                           nameSpaceId == nullptr && timeout == nullptr && nameHandle == nullptr &&
                           overlapped != nullptr && completionRoutine != nullptr &&
                           (family == AF_UNSPEC || family == AF_INET || family == AF_INET6);
    if (name == nullptr || result == nullptr || !supported) return WSAEINVAL;
    *result = nullptr;
    const bool withName = hints != nullptr && (hints->ai_flags & AI_CANONNAME) != 0;
    const bool started = netpull::platform::StartLookup(
        NarrowName(name),
        [=](int error, const std::string& canonicalName, const std::vector<Endpoint>& addresses) {
            if (error == 0) {
                *result = ListOf(addresses, canonicalName, family, withName);
                if (*result == nullptr) error = WSANO_DATA;
            }
            overlapped->Internal = static_cast<std::uintptr_t>(error);
            completionRoutine(static_cast<DWORD>(error), 0, overlapped);
        });
    return started ? WSA_IO_PENDING : WSANO_RECOVERY;
}

void FreeAddrInfoExW(PADDRINFOEXW list) {
    while (list != nullptr) {
        const std::unique_ptr<ADDRINFOEXW> entry(list);
        list = entry->ai_next;
        delete[] entry->ai_canonname;
        delete reinterpret_cast<sockaddr_storage*>(entry->ai_addr);
    }
}
