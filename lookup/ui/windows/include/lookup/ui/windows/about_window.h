// The about window: version line, the maker's notice, what the data holds, the notice
// document beside the program, and buttons to the maker's site and to close.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

#include "lookup/ui/toolkit/picture_button.h"
#include "lookup/ui/windows/program.h"

namespace tarvel::windows {

inline constexpr std::string_view kMakerSite = "https://tarvel.fr";
inline constexpr std::string_view kNoticeFile = "Licenceds.rtf";

class AboutWindow : public QDialog {
    Q_OBJECT
  public:
    AboutWindow(Program& program, QWidget* parent);

    QLabel* LblVersion;
    QLabel* Label1;
    std::array<QLabel*, 6> Lbl{};
    toolkit::PictureButton* CmdSite;
    toolkit::PictureButton* CmdQ;
    QTextBrowser* Rtb1;
    QPushButton* CmdFoc;

  private:
    void Form_Load();
    void CmdSite_Click();

    Program& program_;
};

}  // namespace tarvel::windows
