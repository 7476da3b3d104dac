// The download control: a widget a Qt host places in its window. Download fetches one URL to a
// file through a fresh transfer, the display follows the transfer's events, and the four events
// reach the host as Qt signals and as plain callbacks, raised before the display updates that
// follow them.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "netpull/http/control/display_model.h"
#include "netpull/http/transfer/http_transfer.h"

namespace netpull::http {

class HTTP : public QWidget {
    Q_OBJECT
  public:
    // Callbacks for hosts that are not Qt objects; arguments are passed by reference.
    struct HostEvents {
        std::function<void()> FoundServer;
        std::function<void(std::int32_t& Bytes, std::int32_t& ofBytes)> Progress;
        std::function<void()> Downloaded;
        std::function<void(std::int32_t& Number, std::string& Description)> Error;
    };

    explicit HTTP(QWidget* parent = nullptr);
    ~HTTP() override;

    HostEvents hostEvents;

    // Properties of the current transfer; before the first Download they raise SocketError 91.
    std::string URL() const;
    std::string SaveAs() const;
    std::int32_t BytesPerSecond() const;
    std::int32_t TotalBytes() const;
    std::int32_t DownloadedBytes() const;
    // The current transfer itself, for hosts that want the 64-bit counters; null before Download.
    const HTTPtransfer* Transfer() const { return transfer_.get(); }

    // Replaces the current transfer with a new one and starts it; URL comes back rewritten.
    void Download(std::string& URL, std::string& SaveAs);

    // The design size, 4815 x 1455 twips, as the size a layout gives the control.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // How many controls exist in the process, those waiting for deferred deletion included.
    static int LiveControls();

    // The elements, for hosts and tests that look at the display.
    std::array<QLabel*, 8> lblStat{};
    QLabel* Label1;
    QLabel* btnCancel;
    QFrame* Shape1;
    QFrame* Shape2;
    QFrame* Shape3;

  signals:
    void FoundServer();
    void Progress(qint32 Bytes, qint32 ofBytes);
    void Downloaded();
    void Error(qint32 Number, const QString& Description);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void HTTP_FoundServer();
    void HTTP_Progress(std::int64_t bytes, std::int64_t ofBytes);
    void HTTP_Downloaded();
    void HTTP_Error(std::int32_t number, const std::string& description);
    void btnCancel_Click();
    void UserControl_Resize();
    const HTTPtransfer& Current(const char* property) const;
    void Render();
    QWidget* Widget(Element element) const;

    DisplayModel model_;

    std::shared_ptr<HTTPtransfer> transfer_;  // the current transfer, none before Download
};

}  // namespace netpull::http
