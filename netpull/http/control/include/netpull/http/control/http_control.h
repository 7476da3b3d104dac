// The download control: a widget a Qt host places in its window. Download fetches one URL to a
// file through a fresh transfer, the display follows the transfer's events, and the four events
// reach the host as Qt signals and as plain callbacks, raised before the display updates that
// follow them.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <array>
#include <string>

#include "netpull/http/display/download_control.h"

namespace netpull::http {

class HTTP : public QWidget {
    Q_OBJECT
  public:
    // Callbacks for hosts that are not Qt objects; arguments are passed by reference.
    using HostEvents = DownloadControl::HostEvents;

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
    const HTTPtransfer* Transfer() const { return control_.Transfer(); }

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
    void PassEventsToHost();
    void UserControl_Resize();
    void Render();
    QWidget* Widget(Element element) const;

    DownloadControl control_;
};

}  // namespace netpull::http
