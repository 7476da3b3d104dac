// The detail panel: caption labels, value labels and the copy icons.
#include "lookup/ui/windows/detail_panel.h"

#include "lookup/ui/toolkit/colours.h"
#include "lookup/ui/toolkit/pictures.h"

#include <QApplication>
#include <QStyle>

#include "lookup/ui/toolkit/twips.h"

namespace tarvel::windows {
namespace {

using data::DetailLabel;

constexpr std::array<const char*, data::kDetailLabelCount> kCaptions = {
    "Commune:",  "Nom minuscule:", "Département:",   "Région:",   "Code région:", "N°INSEE:",
    "Académie:", "Code académie:", "Zone vacances:", "Latitude:", "Longitude:"};

constexpr std::array<const char*, data::kDetailLabelCount> kValueNames = {
    "LblCommune",  "LblCommuneMin", "LblDepartement", "LblRegion",   "LblCodeRegion", "LblInsee",
    "LblAcademie", "LblCodeAca",    "LblZoneVac",     "LblLatitude", "LblLongitude"};

constexpr int kRowTop = 105;
constexpr int kRowHeight = 270;
constexpr int kCaptionWidth = 1575;
constexpr int kValueLeft = 1695;
constexpr int kValueWidth = 3000;

QIcon CopyIcon() {
    return toolkit::Picture(QStringLiteral("copy-name"));
}

}  // namespace

DetailPanel::DetailPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Pic1"));
    setAutoFillBackground(true);
    for (std::size_t i = 0; i < data::kDetailLabelCount; ++i) {
        const int top = kRowTop + static_cast<int>(i) * kRowHeight;
        Lbl_[i] = new QLabel(QString::fromUtf8(kCaptions[i]), this);
        Lbl_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        toolkit::SetTextColour(*Lbl_[i], QColor(64, 64, 64));
        toolkit::PlaceInTwips(*Lbl_[i], 60, top, kCaptionWidth, kRowHeight);
        values_[i] = new toolkit::ChangeLabel(this);
        values_[i]->setObjectName(QString::fromLatin1(kValueNames[i]));
        toolkit::SetTextColour(*values_[i], Qt::black);
        values_[i]->setTextFormat(Qt::PlainText);
        toolkit::PlaceInTwips(*values_[i], kValueLeft, top, kValueWidth, kRowHeight);
    }
    connect(&ValueLabel(DetailLabel::CommuneMin), &toolkit::ChangeLabel::captionChanged, this,
            &DetailPanel::communeNameChanged);

    ImgCopyFalse = new QLabel(this);
    ImgCopyFalse->setPixmap(CopyIcon().pixmap(toolkit::TwipsToPixels(180),
                                              toolkit::TwipsToPixels(210), QIcon::Disabled));
    ImgCopyFalse->setScaledContents(true);
    toolkit::PlaceInTwips(*ImgCopyFalse, 4740, 315, 180, 210);
    ImgCopyTrue = new QToolButton(this);
    ImgCopyTrue->setIcon(CopyIcon());
    ImgCopyTrue->setIconSize(QSize(toolkit::TwipsToPixels(180), toolkit::TwipsToPixels(210)));
    ImgCopyTrue->setAutoRaise(true);
    // Reached with Tab and pressed with Space, as the other buttons are.
    ImgCopyTrue->setFocusPolicy(Qt::StrongFocus);
    ImgCopyTrue->setToolTip(QStringLiteral("Copier le nom de la commune dans le presse-papier"));
    ImgCopyTrue->setAccessibleName(ImgCopyTrue->toolTip());
    toolkit::PlaceInTwips(*ImgCopyTrue, 4740, 315, 180, 210);
    ImgCopyTrue->hide();
    connect(ImgCopyTrue, &QToolButton::clicked, this, &DetailPanel::copyNameClicked);
}

void DetailPanel::Clear() {
    for (toolkit::ChangeLabel* value : values_) value->SetCaption(QString());
}

void DetailPanel::ShowCaptions(const data::DetailCaptions& captions) {
    for (const DetailLabel label : captions.writeOrder)
        ValueLabel(label).SetCaption(QString::fromStdString(captions[label]));
}

data::DetailCaptions DetailPanel::Captions() const {
    data::DetailCaptions captions{};
    for (std::size_t i = 0; i < data::kDetailLabelCount; ++i)
        captions.text[i] = values_[i]->Caption().toStdString();
    return captions;
}

}  // namespace tarvel::windows
