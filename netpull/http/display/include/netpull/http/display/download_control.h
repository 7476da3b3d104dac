// The download control without its view: the current transfer, the display model it drives,
// and the four events to the host, raised between the bar's update and the details' update.
// A view (Qt's widgets, or a window of its own on Windows) draws the model when it changes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "netpull/http/display/display_model.h"
#include "netpull/http/transfer/http_transfer.h"

namespace netpull::http {

class DownloadControl {
  public:
    // The host's handlers; arguments are passed by reference and what a handler leaves in
    // them is what the display shows. A handler may destroy the control.
    struct HostEvents {
        std::function<void()> FoundServer;
        std::function<void(std::int32_t& Bytes, std::int32_t& ofBytes)> Progress;
        std::function<void()> Downloaded;
        std::function<void(std::int32_t& Number, std::string& Description)> Error;
    };

    DownloadControl();
    ~DownloadControl();
    DownloadControl(const DownloadControl&) = delete;
    DownloadControl& operator=(const DownloadControl&) = delete;

    HostEvents hostEvents;
    // Called after every change of the model, for the view to draw it.
    std::function<void()> changed;
    // The decimal separator of the user's locale, for the sizes shown.
    char decimalPoint = '.';

    const DisplayModel& Model() const { return model_; }
    // Lays the display out for a size in twips, first raised to the minimum size.
    void Resize(int widthTwips, int heightTwips);

    // Properties of the current transfer; before the first Download they raise SocketError 91.
    std::string URL() const;
    std::string SaveAs() const;
    std::int32_t BytesPerSecond() const;
    std::int32_t TotalBytes() const;
    std::int32_t DownloadedBytes() const;
    const HTTPtransfer* Transfer() const { return transfer_.get(); }

    // Replaces the current transfer with a new one and starts it; URL comes back rewritten.
    void Download(std::string& URL, std::string& SaveAs);
    // The Cancel label's action: cancels the current transfer, if any.
    void btnCancel_Click();

  private:
    void HTTP_FoundServer();
    void HTTP_Progress(std::int64_t bytes, std::int64_t ofBytes);
    void HTTP_Downloaded();
    void HTTP_Error(std::int32_t number, const std::string& description);
    const HTTPtransfer& Current(const char* property) const;
    void Changed();

    DisplayModel model_;
    std::shared_ptr<HTTPtransfer> transfer_;  // the current transfer, none before Download
    // Expires with the control: a handler that destroyed it is seen through a weak copy.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace netpull::http
