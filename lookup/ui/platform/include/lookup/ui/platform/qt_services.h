// The platform services over Qt and the desktop: Qt message boxes and clipboard, the
// desktop's default handler for web addresses, a lock file for the single instance, and
// the resources compiled into the program.
#pragma once

#include <QLockFile>
#include <memory>

#include "lookup/ui/platform/services.h"

namespace tarvel::platform {

class HeldKeys;

class QtServices : public Services {
  public:
    QtServices();
    ~QtServices() override;

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool SetClipboardText(const std::string& text) override;
    bool OpenAddress(const std::string& address) override;
    std::optional<std::string> FindBrowser() override;
    bool StartBrowser(const std::string& browser, const std::string& address) override;
    bool PreviousInstance() override;
    std::string ProgramFolder() override;
    std::optional<std::string_view> CustomResource(int id, std::string_view typeName) override;

  private:
    std::unique_ptr<QLockFile> instanceLock_;
    std::unique_ptr<HeldKeys> heldKeys_;  // typed while a message box is shown
};

}  // namespace tarvel::platform
