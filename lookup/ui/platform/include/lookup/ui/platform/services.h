// The platform services the lookup program's windows call: message boxes, clipboard, web
// browser, previous-instance check, program folder and custom resources. Windows reach them
// only through this interface, so tests can record the calls instead of blocking on a box.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvel::platform {

enum class MessageIcon { None, Exclamation, Critical };

class Services {
  public:
    virtual ~Services() = default;

    // Modal message box with an OK button. An empty title shows the application's title.
    virtual void ShowMessage(const std::string& text, const std::string& title,
                             MessageIcon icon) = 0;

    // Empties the clipboard, then puts plain text on it. False when it cannot be written.
    virtual bool SetClipboardText(const std::string& text) = 0;

    // Opens an address with the desktop's default handler; false when it cannot be started.
    virtual bool OpenAddress(const std::string& address) = 0;

    // The program that opens web pages for this user, or nothing when none can be found.
    virtual std::optional<std::string> FindBrowser() = 0;

    // Starts the browser on an address; false when it cannot be started.
    virtual bool StartBrowser(const std::string& browser, const std::string& address) = 0;

    // Whether another instance of the program is running. The first call claims the
    // program for this instance.
    virtual bool PreviousInstance() = 0;

    // The folder that holds the program, with no separator at its end.
    virtual std::string ProgramFolder() = 0;

    // The raw bytes of a custom resource by id and type name; they stay valid for the
    // program's life.
    virtual std::optional<std::string_view> CustomResource(int id, std::string_view typeName) = 0;
};

}  // namespace tarvel::platform
