// The download control without its view: transfer, display model and host events.
#include "netpull/http/display/download_control.h"

#include "netpull/http/display/control_display.h"

namespace netpull::http {
namespace {

constexpr int kObjectNotSet = 91;  // what a host sees for a reference that is not set yet

}  // namespace

DownloadControl::DownloadControl() = default;

DownloadControl::~DownloadControl() {
    if (transfer_) transfer_->events = {};
}

void DownloadControl::Changed() {
    if (const auto draw = changed) draw();
}

void DownloadControl::Resize(int widthTwips, int heightTwips) {
    model_.Resize(widthTwips, heightTwips);
    Changed();
}

const HTTPtransfer& DownloadControl::Current(const char* property) const {
    if (!transfer_)
        throw SocketError(kObjectNotSet, std::string("HTTP.") + property,
                          "Object variable or With block variable not set");
    return *transfer_;
}

std::string DownloadControl::URL() const {
    return Current("URL").URL();
}
std::string DownloadControl::SaveAs() const {
    return Current("SaveAs").SaveAs();
}
std::int32_t DownloadControl::BytesPerSecond() const {
    return Clamp32(Current("BytesPerSecond").BytesPerSecond());
}
std::int32_t DownloadControl::TotalBytes() const {
    return Clamp32(Current("TotalBytes").TotalBytes());
}
std::int32_t DownloadControl::DownloadedBytes() const {
    return Clamp32(Current("DownloadedBytes").DownloadedBytes());
}

void DownloadControl::Download(std::string& URL, std::string& SaveAs) {
    // The previous transfer, if any, is no longer heard; dropping it closes its connection
    // and its file.
    if (transfer_) transfer_->events = {};
    transfer_ = HTTPtransfer::Create();
    const std::weak_ptr<bool> guard = alive_;
    transfer_->events.FoundServer = [this, guard] {
        if (!guard.expired()) HTTP_FoundServer();
    };
    transfer_->events.Progress = [this, guard](std::int64_t bytes, std::int64_t ofBytes) {
        if (!guard.expired()) HTTP_Progress(bytes, ofBytes);
    };
    transfer_->events.Downloaded = [this, guard] {
        if (!guard.expired()) HTTP_Downloaded();
    };
    transfer_->events.Error = [this, guard](std::int32_t number, const std::string& description) {
        if (!guard.expired()) HTTP_Error(number, description);
    };
    const std::shared_ptr<HTTPtransfer> transfer = transfer_;
    transfer->Download(URL, SaveAs);
}

// Each host handler may destroy the control: handlers run from a copy, and nothing of the
// control is touched after one unless the control is still there.
void DownloadControl::HTTP_FoundServer() {
    if (const auto handler = hostEvents.FoundServer) handler();
}

void DownloadControl::HTTP_Progress(std::int64_t bytes, std::int64_t ofBytes) {
    const std::weak_ptr<bool> guard = alive_;
    const std::shared_ptr<HTTPtransfer> transfer = transfer_;
    model_.ProgressBar(bytes, ofBytes);
    Changed();
    std::int32_t hostBytes = Clamp32(bytes), hostOfBytes = Clamp32(ofBytes);
    if (const auto handler = hostEvents.Progress) handler(hostBytes, hostOfBytes);
    if (guard.expired() || !transfer) return;
    model_.ProgressDetails({transfer->URL(), transfer->SaveAs(), transfer->BytesPerSecond(),
                            transfer->DownloadedBytes(), transfer->TotalBytes(), decimalPoint});
    Changed();
}

void DownloadControl::HTTP_Downloaded() {
    const std::weak_ptr<bool> guard = alive_;
    model_.DownloadedBar();
    Changed();
    if (const auto handler = hostEvents.Downloaded) handler();
    if (guard.expired()) return;
    model_.DownloadedDetails();
    Changed();
}

void DownloadControl::HTTP_Error(std::int32_t number, const std::string& description) {
    const std::weak_ptr<bool> guard = alive_;
    model_.ErrorBar();
    Changed();
    std::int32_t hostNumber = number;
    std::string hostDescription = description;
    if (const auto handler = hostEvents.Error) handler(hostNumber, hostDescription);
    if (guard.expired()) return;
    model_.ErrorDetails(hostNumber, hostDescription);
    Changed();
}

void DownloadControl::btnCancel_Click() {
    if (const std::shared_ptr<HTTPtransfer> transfer = transfer_) transfer->Cancel();
}

}  // namespace netpull::http
