// The loading window: never shown, it hosts two timers that fill the postal-code table, then
// the name table, and then asks for the main window.
#pragma once

#include <QObject>
#include <QTimer>

#include "lookup/data/table_loader.h"
#include "lookup/ui/windows/program.h"

namespace tarvel::windows {

class LoadingWindow : public QObject {
    Q_OBJECT
  public:
    explicit LoadingWindow(Program& program);

    void Form_Load();

  signals:
    void tablesLoaded();           // both tables are in memory: show the main window
    void loadFailed(QString why);  // a table is damaged: report it and end

  private:
    void TimCP_Timer();
    void TimNom_Timer();
    // Fills one table; on a damaged table reports it and returns false.
    bool LoadStep(data::CommuneTable& into, const data::TableFormat& format);

    Program& program_;
    QTimer TimCP;
    QTimer TimNom;
};

}  // namespace tarvel::windows
