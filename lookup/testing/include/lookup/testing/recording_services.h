// Platform services that record every call and answer as a test sets them up, so windows
// run headless without blocking on a modal box or touching the desktop.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "lookup/ui/platform/services.h"

namespace tarvel::platform {

class RecordingServices : public Services {
  public:
    struct Message {
        std::string text;
        std::string title;
        MessageIcon icon;
    };

    // What the calls saw.
    std::vector<Message> messages;
    std::string clipboard;
    std::vector<std::string> openedAddresses;
    std::vector<std::pair<std::string, std::string>> browserStarts;

    // How the calls answer.
    bool clipboardWorks = true;
    bool openWorks = true;
    std::optional<std::string> browser = "/usr/bin/browser";
    bool browserStartWorks = true;
    bool anotherInstance = false;
    std::string programFolder = "/opt/tarvel";
    std::map<std::pair<int, std::string>, std::string> resources;
    // Runs while the message would be on screen, for tests that look at the window then.
    std::function<void(const Message&)> whileShown;

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
        if (whileShown) whileShown(messages.back());
    }
    bool SetClipboardText(const std::string& text) override {
        if (clipboardWorks) clipboard = text;
        return clipboardWorks;
    }
    bool OpenAddress(const std::string& address) override {
        openedAddresses.push_back(address);
        return openWorks;
    }
    std::optional<std::string> FindBrowser() override { return browser; }
    bool StartBrowser(const std::string& program, const std::string& address) override {
        browserStarts.emplace_back(program, address);
        return browserStartWorks;
    }
    bool PreviousInstance() override { return anotherInstance; }
    std::string ProgramFolder() override { return programFolder; }
    std::optional<std::string_view> CustomResource(int id, std::string_view type) override {
        const auto found = resources.find({id, std::string(type)});
        if (found == resources.end()) return std::nullopt;
        return found->second;
    }
};

}  // namespace tarvel::platform
