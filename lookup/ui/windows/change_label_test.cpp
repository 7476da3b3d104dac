// The change label lays its caption out once and draws it itself: beside a plain QLabel given
// the same shown text, it must look the same in every alignment, frame, font and state.
#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>

#include "lookup/ui/toolkit/change_label.h"

namespace tarvel::toolkit {
namespace {

struct Setting {
    const char* name;
    Qt::Alignment alignment;
    QFrame::Shape frame;
    int margin;
    QFont font;
};

class ChangeLabelTest : public ::testing::Test {
  protected:
    ChangeLabelTest() : changing_(&window_), plain_(&window_) {
        for (QLabel* label : {static_cast<QLabel*>(&changing_), &plain_}) label->resize(200, 23);
        plain_.move(0, 30);
        window_.show();
    }

    void Apply(const Setting& setting) {
        for (QLabel* label : {static_cast<QLabel*>(&changing_), &plain_}) {
            label->setAlignment(setting.alignment);
            label->setFrameShape(setting.frame);
            label->setMargin(setting.margin);
            label->setFont(setting.font);
        }
    }

    // Shows caption in the change label and what it shows in the plain one.
    void Show(const QString& caption) {
        changing_.SetCaption(caption);
        plain_.setText(changing_.text());
    }

    bool LookAlike() { return changing_.grab().toImage() == plain_.grab().toImage(); }

    QWidget window_;
    ChangeLabel changing_;
    QLabel plain_;
};

TEST_F(ChangeLabelTest, DrawsItsCaptionAsAPlainLabelDoes) {
    QFont bold = QApplication::font();
    bold.setBold(true);
    bold.setPointSize(12);
    const std::vector<Setting> settings{
        {"left", Qt::AlignLeft | Qt::AlignVCenter, QFrame::NoFrame, 0, QApplication::font()},
        {"centre", Qt::AlignCenter, QFrame::NoFrame, 0, QApplication::font()},
        {"right framed", Qt::AlignRight | Qt::AlignVCenter, QFrame::Box, 0, bold},
        {"top left framed", Qt::AlignLeft | Qt::AlignTop, QFrame::Panel, 0, bold},
        {"bottom right", Qt::AlignRight | Qt::AlignBottom, QFrame::NoFrame, 2,
         QFont(QStringLiteral("DejaVu Serif"), 11)},
    };
    const QStringList captions{
        QStringLiteral("64800 ST ABIT"),
        QStringLiteral("Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson"),
        QStringLiteral("  Pyrénées-Atlantiques, AVAT  "),
        QStringLiteral("-0.30027345"),
        QStringLiteral("שלום עולם"),
        QStringLiteral("deux\nlignes"),
        QString(),
    };
    for (const Setting& setting : settings) {
        Apply(setting);
        for (const QString& caption : captions) {
            Show(caption);
            EXPECT_TRUE(LookAlike()) << setting.name << ": " << caption.toStdString();
        }
    }
    changing_.setEnabled(false);
    plain_.setEnabled(false);
    Show(captions.front());
    EXPECT_TRUE(LookAlike()) << "disabled";
}

TEST_F(ChangeLabelTest, FollowsANewFontAndWidth) {
    Show(QStringLiteral("Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson"));
    ASSERT_NE(changing_.text(), changing_.Caption());
    for (QLabel* label : {static_cast<QLabel*>(&changing_), &plain_}) label->resize(400, 23);
    EXPECT_EQ(changing_.text(), changing_.Caption());
    plain_.setText(changing_.text());
    EXPECT_TRUE(LookAlike());
    const QFont large(QStringLiteral("DejaVu Sans"), 16);
    for (QLabel* label : {static_cast<QLabel*>(&changing_), &plain_}) label->setFont(large);
    EXPECT_NE(changing_.text(), changing_.Caption());
    plain_.setText(changing_.text());
    EXPECT_TRUE(LookAlike());
}

TEST_F(ChangeLabelTest, ShowsMarkupAsItIs) {
    Show(QStringLiteral("<b>Bourg</b>"));
    EXPECT_EQ(changing_.text(), QStringLiteral("<b>Bourg</b>"));
    plain_.setTextFormat(Qt::PlainText);
    EXPECT_TRUE(LookAlike());
}

}  // namespace
}  // namespace tarvel::toolkit
