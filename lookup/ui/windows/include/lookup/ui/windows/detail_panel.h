// The detail panel: the eleven caption labels with their value labels, and the copy icon
// that shows while a commune is shown (the grey one under it always shows).
#pragma once

#include <QLabel>
#include <QToolButton>
#include <QWidget>
#include <array>

#include "lookup/data/detail_captions.h"
#include "lookup/ui/toolkit/change_label.h"

namespace tarvel::windows {

class DetailPanel : public QWidget {
    Q_OBJECT
  public:
    explicit DetailPanel(QWidget* parent);

    // Empties every value label, from LblCommune to LblLongitude.
    void Clear();
    // Writes the captions in their write order.
    void ShowCaptions(const data::DetailCaptions& captions);
    // The captions as displayed now.
    data::DetailCaptions Captions() const;
    QString Caption(data::DetailLabel label) const { return ValueLabel(label).Caption(); }
    toolkit::ChangeLabel& ValueLabel(data::DetailLabel label) const {
        return *values_[static_cast<std::size_t>(label)];
    }

    QToolButton* ImgCopyTrue;
    QLabel* ImgCopyFalse;

  signals:
    void communeNameChanged();  // LblCommuneMin's change event
    void copyNameClicked();     // ImgCopyTrue's click

  private:
    std::array<QLabel*, data::kDetailLabelCount> Lbl_{};
    std::array<toolkit::ChangeLabel*, data::kDetailLabelCount> values_{};
};

}  // namespace tarvel::windows
