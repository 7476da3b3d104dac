// The main search window: the postal-code and name boxes with their placeholders, the status
// line, the result list, the detail panel and the five buttons.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "lookup/ui/toolkit/change_label.h"
#include "lookup/ui/toolkit/picture_button.h"
#include "lookup/ui/toolkit/text_box.h"
#include "lookup/ui/windows/detail_panel.h"
#include "lookup/ui/windows/program.h"
#include "lookup/ui/windows/result_list.h"

namespace tarvel::windows {

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(Program& program);

    // The search mode: 0 at start, 1 after the postal-code box took the focus, 2 after the
    // name box did.
    int ModeRecherche() const { return modeRecherche_; }
    // The window stands where it should: the window manager's frame is known and allowed for,
    // or the time to learn it is over.
    bool Placed() const { return loaded_ && !frameCheck_.isActive(); }

    QFrame* Fra1;
    toolkit::TextBox* TxtCP;
    toolkit::TextBox* Txt1Foc;
    toolkit::TextBox* TxtCherche;
    toolkit::TextBox* Txt2Foc;
    toolkit::TextBox* TxtMiroir;
    toolkit::ChangeLabel* LblInfo;
    ResultList* LstLaListe;
    DetailPanel* Pic1;
    toolkit::PictureButton* CmdCopier;
    toolkit::PictureButton* CmdExterne;
    toolkit::PictureButton* CmdGoogleMap;
    toolkit::PictureButton* CmdAbout;
    toolkit::PictureButton* CmdQ;
    QPushButton* Foc;

  signals:
    // The load event's last step: the loading window can go.
    void loaded();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildSearchArea();
    void BuildButtons();
    void Form_Load();
    void PlaceFrame();
    void CheckFrame();
    void Txt1Foc_GotFocus();
    void Txt2Foc_GotFocus();
    void TxtCP_GotFocus();
    void TxtCherche_GotFocus();
    void TxtCP_Change();
    void TxtCherche_Change();
    void TxtMiroir_Change();
    void ShowSearch(search::SearchResult result, SearchedTable table);
    void LstLaListe_Click();
    void LblCommuneMin_Change();
    void CmdCopier_Click();
    void ImgCopyTrue_Click();
    void CopyToClipboard(const std::string& text, const std::string& confirmation);
    void CmdExterne_Click();
    void CmdGoogleMap_Click();
    void CmdAbout_Click();
    void CmdQ_Click();

    Program& program_;
    int modeRecherche_ = 0;
    QRect wantedFrame_;  // the outer frame's place and size, in pixels
    QTimer frameCheck_;  // runs until the window manager's frame is known and placed
    int frameChecks_ = 0;
    int nameChangeDepth_ = 0;           // runs of TxtCherche_Change inside one another
    std::size_t rejectedReported_ = 0;  // characters reported one by one in this edit
    bool loaded_ = false;
};

}  // namespace tarvel::windows
